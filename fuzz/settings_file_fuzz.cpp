// libFuzzer target: the reader of config.ini, and the writer's lines read back.
#include "fuzzsupport.h"
#include "shell/settingsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const StoredSettings read = parseSettings(content);
    // What the program writes of a setting it read gives that setting again.
    const StoredSettings again = parseSettings(formatSettings(read.bitRate, read.baseFolder.value_or(QString())));
    FUZZ_CHECK(again.bitRate == read.bitRate);
    FUZZ_CHECK(again.baseFolder.has_value());
    return 0;
}
