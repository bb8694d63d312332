# "name|source file[|libFuzzer flags]" of every fuzz target, relative to tests/fuzz.
#
# The Ogg decoder's fuzzer runs without libFuzzer's leak check after each input: libvorbisfile
# 1.3.7 drops 8 bytes inside ov_open_callbacks when a later link of a chained file fails to open,
# and every such input set off a leak scan that took most of the fuzzer's time (41 inputs a
# second against 850). Our decoder's own frees are still checked by the leak sanitizer in the
# sanitizer build of the test suite, and the fuzzer's check at exit still runs.
set(GLIMMER_FUZZERS
	"defaults|DefaultsFuzz.cpp"
	"cmdline|CommandLineFuzz.cpp"
	"archive|ArchiveFuzz.cpp"
	"registry|RegistryFuzz.cpp"
	"tga|TgaFuzz.cpp"
	"bmp|BmpFuzz.cpp"
	"jpeg|JpegFuzz.cpp"
	"ogg|OggFuzz.cpp|-detect_leaks=0"
	"bsm|BsmFuzz.cpp"
	"bss|BssFuzz.cpp"
	"bsa|BsaFuzz.cpp"
	"particles|ParticleFuzz.cpp"
	"animmodel|AnimatedModelFuzz.cpp"
	"labels|LabelTextFuzz.cpp"
)
