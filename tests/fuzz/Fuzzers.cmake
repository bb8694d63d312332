# "name|source file" of every fuzz target, relative to tests/fuzz.
set(GLIMMER_FUZZERS
	"defaults|DefaultsFuzz.cpp"
	"cmdline|CommandLineFuzz.cpp"
	"tga|TgaFuzz.cpp"
	"bmp|BmpFuzz.cpp"
	"jpeg|JpegFuzz.cpp"
)
