#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target from a folder of short sound
files:  make_seeds.py SOUNDS OUT  ->  OUT/<target>/<seed>.

The targets that read their input with FuzzedDataProvider take strings from
the front (a backslash and another byte end one, a doubled backslash stands
for itself) and numbers from the back; the seeds are laid out that way."""
import pathlib
import struct
import sys


def provider_string(data: bytes) -> bytes:
    return data.replace(b"\\", b"\\\\") + b"\\x"


def tracker_module() -> bytes:
    """A four-channel ProTracker module: one looping 32-byte sample played
    once at C-3 in its one pattern."""
    sample = b"tone".ljust(22, b"\0") + struct.pack(">HBBHH", 16, 0, 64, 0, 16)
    header = b"seed".ljust(20, b"\0") + sample + bytes(30) * 30 + bytes([1, 127]) + bytes(128) + b"M.K."
    pattern = bytes([0x01, 0xAC, 0x10, 0x00]).ljust(64 * 4 * 4, b"\0")
    return header + pattern + bytes((i * 16) & 0xFF for i in range(32))


def wav(channels: int, rate: int, bits: int, audio: bytes) -> bytes:
    """A WAV file of the 44-byte layout."""
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 1, channels, rate, (rate * align) & 0xFFFFFFFF, align, bits)
    return (b"RIFF" + struct.pack("<I", 36 + len(audio)) + b"WAVEfmt " + struct.pack("<I", 16) + fmt
            + b"data" + struct.pack("<I", len(audio)) + audio)


# Lists that once took a gigabyte to join (thousands of channels) or asked
# for an absurd change of rate.
JOIN_FINDINGS = {
    "wide_channels": [wav(2, 44100, 16, bytes(400)), wav(65535, 8000, 8, bytes(2 * 65535))],
    "rates_far_apart": [wav(1, 4000000, 8, bytes(8)), wav(1, 8000, 8, bytes(800))],
}


# What the FFmpeg reader is asked about.
MEDIA = {".m4a", ".mp4", ".aac", ".wma", ".mka", ".webm", ".ogg", ".flac"}


def main() -> None:
    sounds, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    files = sorted(p for p in sounds.iterdir() if p.is_file())
    wavs = [p.read_bytes() for p in files if p.suffix == ".wav"]
    seeds = {
        "bass_memory_fuzz": {p.name: p.read_bytes() for p in files},
        "bass_music_fuzz": {"seed.mod": tracker_module()},
        "bass_media_fuzz": {p.name: p.read_bytes() for p in files if p.suffix in MEDIA},
        "wav_reader_fuzz": {f"{i}.wav": w for i, w in enumerate(wavs)},
        "settings_file_fuzz": {
            "rate_and_folder": b" 96 \r\n/home/someone/Music\r\n",
            "unset_rate": b"\r\n/tmp\r\n",
            "quoted": b'"128",x\r\n  "/a, b" , c\r\n',
            "one_line": b"320",
        },
        # Clip count from the last byte; the clips from the front.
        "list_join_fuzz": {
            f"{i}_{j}": provider_string(a) + provider_string(b) + bytes([1])
            for i, a in enumerate(wavs) for j, b in enumerate(wavs)
        },
        # The WAV file, then the commands' choices.
        "waveaudio_fuzz": {f"{i}": provider_string(w) + bytes(range(64)) for i, w in enumerate(wavs)},
    }
    # Samples of 8194 bytes, once taken for 16-bit ones (65552 bits in 16).
    wide = bytearray(wav(1, 8000, 16, bytes(8194 * 2)))
    wide[32:34] = struct.pack("<H", 8194)
    seeds["wav_reader_fuzz"]["sample_size_wraps.wav"] = bytes(wide)
    for name, clips in JOIN_FINDINGS.items():
        seeds["list_join_fuzz"][name] = b"".join(provider_string(c) for c in clips) + bytes([len(clips) - 1])
    for target, corpus in seeds.items():
        folder = out / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in corpus.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
