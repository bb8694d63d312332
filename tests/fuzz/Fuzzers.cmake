# "name|source file" of every fuzz target, relative to tests/fuzz.
set(GLIMMER_FUZZERS
	"defaults|DefaultsFuzz.cpp"
	"cmdline|CommandLineFuzz.cpp"
	"archive|ArchiveFuzz.cpp"
	"registry|RegistryFuzz.cpp"
	"tga|TgaFuzz.cpp"
	"bmp|BmpFuzz.cpp"
	"jpeg|JpegFuzz.cpp"
	"ogg|OggFuzz.cpp"
	"bsm|BsmFuzz.cpp"
	"bss|BssFuzz.cpp"
	"bsa|BsaFuzz.cpp"
	"particles|ParticleFuzz.cpp"
	"animmodel|AnimatedModelFuzz.cpp"
	"labels|LabelTextFuzz.cpp"
)
