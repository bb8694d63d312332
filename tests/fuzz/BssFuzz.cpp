// The scene reader on any bytes.
#include "scene/BssFile.h"
#include "tests/fuzz/ContentFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FuzzContentFile<BssFile>({data, size},
	                         [](const BssFile& scene)
	                         {
		                         for (const BssObject& object : scene.objects)
		                         {
			                         VisitCorners(object.faces, object.positions);
			                         VisitCorners(object.uvFaces, object.uvs);
			                         VisitCorners(object.lightmapFaces, object.lightmapUvs);
		                         }
		                         for (const BssPortal& portal : scene.portals)
		                         {
			                         VisitCorners(portal.faces, portal.positions);
		                         }
	                         });
	return 0;
}
