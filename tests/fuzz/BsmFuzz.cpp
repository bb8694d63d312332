// The static model reader on any bytes.
#include "scene/BsmFile.h"
#include "tests/fuzz/ContentFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FuzzContentFile<BsmFile>({data, size},
	                         [](const BsmFile& model)
	                         {
		                         for (const BsmMesh& mesh : model.meshes)
		                         {
			                         VisitCorners(mesh.faces, mesh.positions);
			                         VisitCorners(mesh.uvFaces, mesh.uvs);
		                         }
	                         });
	return 0;
}
