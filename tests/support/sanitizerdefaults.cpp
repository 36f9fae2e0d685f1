// The sanitizers' settings for the test executables of a sanitizer build and
// for the fuzz targets, built in so that ctest, the test discovery, libFuzzer
// and a run by hand all use them. Every finding ends the process with a
// failure.
//
// fast_unwind_on_malloc=0: the system's libraries keep no frame pointers, so
// only the slow unwinder gives a leak's whole stack (and makes a suppression
// by one of their frames possible at all).
// intercept_tls_get_addr=0: the leak checker of GCC 12 reads a stale table of
// dynamic thread-local blocks once libraries with thread-local data have been
// loaded (libbass.so and its decoders) and crashes at exit; without the
// interception it takes those blocks from the threads' own tables.
// external_symbolizer_path: clang's runtime names a stack's functions (and so
// matches the suppressions below) only through llvm-symbolizer; the build
// gives its path where it found one. GCC's runtime symbolizes by itself.
#ifdef CLIPFORGE_SYMBOLIZER
#define CLIPFORGE_SYMBOLIZER_OPTION ":external_symbolizer_path=" CLIPFORGE_SYMBOLIZER
#else
#define CLIPFORGE_SYMBOLIZER_OPTION ""
#endif

extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:"
           "fast_unwind_on_malloc=0:intercept_tls_get_addr=0" CLIPFORGE_SYMBOLIZER_OPTION;
}

extern "C" const char *__ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Only allocation sites inside the system's libraries, never a frame of this
// program: a leak that passes through our code is always reported.
extern "C" const char *__lsan_default_suppressions()
{
    // libsndfile's Ogg Vorbis open leaves the vorbis_info of a stream whose
    // headers it rejects.
    return "leak:vorbis_info_init\n";
}
