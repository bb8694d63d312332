# "name|source file" of every fuzz target, relative to tests/fuzz.
set(GLIMMER_FUZZERS
	"defaults|DefaultsFuzz.cpp"
	"cmdline|CommandLineFuzz.cpp"
	"bsm|BsmFuzz.cpp"
	"bss|BssFuzz.cpp"
	"bsa|BsaFuzz.cpp"
)
