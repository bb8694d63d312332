// The animated model readers on any bytes: one input holds a mesh file and its animation file.
#include "scene/BsaFile.h"
#include "tests/fuzz/BsaPair.h"
#include "tests/fuzz/ContentFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const BsaPair pair = SplitBsaPair({data, size});
	FuzzContentFile<BsaMeshFile>(pair.mesh,
	                             [](const BsaMeshFile& mesh)
	                             {
		                             VisitCorners(mesh.faces, mesh.positions);
		                             VisitCorners(mesh.uvFaces, mesh.uvs);
		                             VisitCorners(mesh.boneIndices, mesh.bones);
	                             });
	FuzzContentFile<BsaAnimFile>(pair.animation, [](const BsaAnimFile&) {});
	return 0;
}
