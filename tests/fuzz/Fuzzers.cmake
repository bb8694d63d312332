# "name|source file" of every fuzz target, relative to tests/fuzz.
set(GLIMMER_FUZZERS
	"defaults|DefaultsFuzz.cpp"
	"cmdline|CommandLineFuzz.cpp"
	"particles|ParticleFuzz.cpp"
)
