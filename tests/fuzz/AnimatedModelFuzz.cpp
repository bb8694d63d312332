// The animated model loader on any bytes: a mesh file and its animation file in one input (see
// BsaPair.h), linked, animated and skinned for a few frames.
#include "scene/AnimatedModel.h"
#include "tests/fuzz/BsaPair.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const BsaPair pair = SplitBsaPair({data, size});
	BsaMeshFile mesh;
	ReadContentFile(pair.mesh, mesh);
	AnimatedModel model;
	if (!model.Build(mesh, 0))
	{
		return 0;
	}
	BsaAnimFile animation;
	ReadContentFile(pair.animation, animation);
	model.AddAnimation(animation);
	model.StartAnimation();
	for (const float frameTime : {1.0f, 7.5f, 0.25f, 400.0f, 1.0f})
	{
		model.Update(frameTime);
	}
	return 0;
}
