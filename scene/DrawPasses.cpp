#include "scene/DrawPasses.h"

#include "render/Draw2D.h"
#include "render/Renderer.h"
#include "render/SubmissionPacer.h"
#include "scene/Scene.h"
#include "scene/SharedVertexArray.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace
{
constexpr GLsizei kStride = sizeof(SharedVertex);
constexpr float kOpaqueAlphaReference = 0.001f;
// Model angles turn into rotations with pi taken as 3.14, as the content was authored with.
constexpr float kHalfDegreeToRadian = 3.14f / 360.0f;

// Whether the arrays point into the buffer object (offsets) or into memory (addresses).
bool arraysFromBuffer = false;

const GLvoid* VertexOffset(size_t offset)
{
	if (arraysFromBuffer)
	{
		return reinterpret_cast<const GLvoid*>(offset);
	}
	const std::vector<SharedVertex>& vertices = g_sharedVertices.Vertices();
	// An empty room has no array to point into (and draws nothing from it).
	if (vertices.empty())
	{
		return nullptr;
	}
	return reinterpret_cast<const uint8_t*>(vertices.data()) + offset;
}

// The array pointers are read from the bound buffer, or from memory when none is bound.
void PointArrays(const Scene& scene)
{
	arraysFromBuffer = scene.vertexBuffer != 0;
	glEnableClientState(GL_VERTEX_ARRAY);
	glVertexPointer(3, GL_FLOAT, kStride, VertexOffset(offsetof(SharedVertex, position)));
	glEnableClientState(GL_NORMAL_ARRAY);
	glNormalPointer(GL_FLOAT, kStride, VertexOffset(offsetof(SharedVertex, normal)));
	glEnableClientState(GL_TEXTURE_COORD_ARRAY);
	glTexCoordPointer(2, GL_FLOAT, kStride, VertexOffset(offsetof(SharedVertex, uv)));
}

void PointTexCoordsAt(size_t offset)
{
	glTexCoordPointer(2, GL_FLOAT, kStride, VertexOffset(offset));
}

// The extra layers of a mesh are drawn over the same pixels with depth test equal and no depth
// writes; EndLayer's blend is the one the layer leaves behind.
void BeginLayer(GLenum source, GLenum destination, uint32_t texture)
{
	glDepthMask(GL_FALSE);
	glEnable(GL_BLEND);
	glDisable(GL_LIGHTING);
	glBlendFunc(source, destination);
	glBindTexture(GL_TEXTURE_2D, texture);
	glDepthFunc(GL_EQUAL);
}

void EndLayer(GLenum restoreSource, GLenum restoreDestination)
{
	glBlendFunc(restoreSource, restoreDestination);
	glEnable(GL_LIGHTING);
	glDepthFunc(GL_LESS);
	glDepthMask(GL_TRUE);
}

void TextureGenerationOff()
{
	glDisable(GL_TEXTURE_GEN_S);
	glDisable(GL_TEXTURE_GEN_T);
	glDisable(GL_TEXTURE_GEN_R);
}

Mat4 RotationMatrix(const Quat& q)
{
	Mat4 m = kMat4Identity;
	QuatToMatrix(q, m);
	return m;
}

Quat AxisHalfTurn(float degrees, int axis)
{
	const float half = degrees * kHalfDegreeToRadian;
	Quat q{0.0f, 0.0f, 0.0f, std::cos(half)};
	(axis == 0 ? q.x : (axis == 1 ? q.y : q.z)) = std::sin(half);
	return q;
}

// Each pass over a mesh or a run goes through one of these two, so that the pacer counts it.
void DrawMeshTriangles(const ModelMesh& mesh)
{
	const uint32_t* indices = mesh.indices ? mesh.indices->data() : nullptr;
	glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, indices);
	g_submissionPacer.CountTriangles(mesh.indexCount / 3);
}

void DrawRunTriangles(const SceneSubmesh& submesh)
{
	glDrawArrays(GL_TRIANGLES, submesh.firstVertex, submesh.vertexCount);
	g_submissionPacer.CountTriangles(submesh.vertexCount / 3);
}

void DrawMesh(const ModelMesh& mesh)
{
	glDisable(GL_BLEND);
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, mesh.material.baseTexture);
	const bool scrolls = mesh.material.scrollU != 0.0f || mesh.material.scrollV != 0.0f;
	if (scrolls)
	{
		glMatrixMode(GL_TEXTURE);
		glLoadIdentity();
		glTranslatef(mesh.scrollOffset[0], -mesh.scrollOffset[1], 0.0f);
		glMatrixMode(GL_MODELVIEW);
	}
	glDisable(GL_CULL_FACE);
	glEnable(GL_ALPHA_TEST);
	DrawMeshTriangles(mesh);
	if (mesh.material.hasReflection)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, mesh.material.reflectionTexture);
		EnableSphereMap();
		DrawMeshTriangles(mesh);
		EndLayer(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);
		glDisable(GL_BLEND);
		TextureGenerationOff();
	}
	if (mesh.material.hasGlow)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, mesh.material.glowTexture);
		DrawMeshTriangles(mesh);
		EndLayer(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);
		glDisable(GL_BLEND);
		TextureGenerationOff();
	}
	glEnable(GL_CULL_FACE);
	if (scrolls)
	{
		glMatrixMode(GL_TEXTURE);
		glLoadIdentity();
		glMatrixMode(GL_MODELVIEW);
	}
}

// Fixed-function OpenGL guarantees eight lights; an object assigned more keeps the first eight.
int ApplyLights(const SceneObject& object)
{
	GLint maxLights = 8;
	glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
	const int count = std::min(static_cast<int>(object.lights.size()), static_cast<int>(maxLights));
	const float specular[4] = {0.21f, 0.21f, 0.21f, 1.0f};
	for (int i = 0; i < count; ++i)
	{
		const SceneLight& light = *object.lights[static_cast<size_t>(i)];
		const GLenum number = GL_LIGHT0 + static_cast<GLenum>(i);
		glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
		glLightfv(number, GL_AMBIENT, light.ambient);
		glLightfv(number, GL_DIFFUSE, light.diffuse);
		glLightfv(number, GL_SPECULAR, light.specular);
		glLightfv(number, GL_POSITION, light.position);
		glLightf(number, GL_SPOT_EXPONENT, 30.0f);
		glLightf(number, GL_LINEAR_ATTENUATION, light.range * 0.000002f);
		glEnable(number);
	}
	glEnable(GL_LIGHTING);
	return count;
}

void ReleaseLights(int count)
{
	for (int i = 0; i < count; ++i)
	{
		glDisable(GL_LIGHT0 + static_cast<GLenum>(i));
	}
	glEnable(GL_LIGHTING);
}

uint32_t QueryResult(uint32_t queryName)
{
	GLuint samples = 0;
	if (queryName != 0 && glIsQueryARB(queryName))
	{
		glGetQueryObjectuivARB(queryName, GL_QUERY_RESULT_ARB, &samples);
	}
	return samples;
}

void DrawPortalTriangles(const ScenePortal& portal)
{
	glBegin(GL_TRIANGLES);
	for (const Float3& face : portal.faces)
	{
		for (const float corner : {face.x, face.y, face.z})
		{
			const std::optional<size_t> index = IndexFromReal(corner, portal.positions.size());
			const Vec3 p = index ? portal.positions[*index] : kVec3Zero;
			glVertex3f(p.x, p.y, p.z);
		}
	}
	glEnd();
}
} // namespace

void UploadSharedVertices(Scene& scene)
{
	const std::vector<SharedVertex>& vertices = g_sharedVertices.Vertices();
	glGenBuffersARB(1, &scene.vertexBuffer);
	glBindBufferARB(GL_ARRAY_BUFFER_ARB, scene.vertexBuffer);
	glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(vertices.size() * sizeof(SharedVertex)),
	                vertices.data(), GL_STATIC_DRAW_ARB);
	PointArrays(scene);
	glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

void BindSharedVertices(const Scene& scene)
{
	if (scene.vertexBuffer != 0)
	{
		glBindBufferARB(GL_ARRAY_BUFFER_ARB, scene.vertexBuffer);
	}
	PointArrays(scene);
}

void UnbindSharedVertices()
{
	glDisableClientState(GL_VERTEX_ARRAY);
	glDisableClientState(GL_NORMAL_ARRAY);
	glDisableClientState(GL_TEXTURE_COORD_ARRAY);
	if (g_rendererCaps.hasVertexBuffers)
	{
		glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
	}
}

void DrawSubmesh(const SceneSubmesh& submesh, bool texturesOff)
{
	glDisable(GL_LIGHTING);
	glEnable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, submesh.baseTexture);
	if (texturesOff)
	{
		glDisable(GL_TEXTURE_2D);
	}
	// A reflective run shows only the reflection, added to the lit colour.
	if (submesh.hasReflection)
	{
		glEnable(GL_TEXTURE_2D);
		glBindTexture(GL_TEXTURE_2D, submesh.reflectionTexture);
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
		EnableSphereMap();
	}
	if (submesh.twoSided)
	{
		glDisable(GL_CULL_FACE);
	}
	if (submesh.additive)
	{
		glDisable(GL_LIGHTING);
		glEnable(GL_BLEND);
		glDepthMask(GL_FALSE);
		glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE);
	}
	DrawRunTriangles(submesh);
	if (submesh.additive)
	{
		glEnable(GL_LIGHTING);
		glDisable(GL_BLEND);
		glDepthMask(GL_TRUE);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}
	if (submesh.hasGlow)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, submesh.glowTexture);
		DrawRunTriangles(submesh);
		EndLayer(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}
	if (submesh.hasLightmap)
	{
		PointTexCoordsAt(offsetof(SharedVertex, lightmapUv));
		BeginLayer(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR, submesh.lightmapTexture);
		DrawRunTriangles(submesh);
		EndLayer(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
		PointTexCoordsAt(offsetof(SharedVertex, uv));
	}
	if (submesh.twoSided)
	{
		glEnable(GL_CULL_FACE);
	}
	if (submesh.hasReflection)
	{
		glDisable(GL_TEXTURE_2D);
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
		TextureGenerationOff();
	}
}

void DrawSolidBox(float x, float y, float z)
{
	// A unit cube compiled once and scaled to the box: the queries draw one per visible instance
	// every frame.
	static GLuint unitCube = 0;
	if (unitCube == 0 || !glIsList(unitCube))
	{
		static constexpr float kCorners[8][3] = {
		    {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f},
		    {-0.5f, -0.5f, 0.5f},  {0.5f, -0.5f, 0.5f},  {0.5f, 0.5f, 0.5f},  {-0.5f, 0.5f, 0.5f}};
		// Counter-clockwise seen from outside.
		static constexpr int kFaces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
		                                     {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
		unitCube = glGenLists(1);
		glNewList(unitCube, GL_COMPILE);
		glBegin(GL_QUADS);
		for (const auto& face : kFaces)
		{
			for (const int corner : face)
			{
				glVertex3fv(kCorners[corner]);
			}
		}
		glEnd();
		glEndList();
	}
	glPushMatrix();
	glScalef(x, y, z);
	glCallList(unitCube);
	glPopMatrix();
}

void StaticModel::UpdateNode(int index, const Quat& parentRotation, const Vec3& parentPivot,
                             const Vec3& parentWorld)
{
	ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	const Quat qx = AxisHalfTurn(mesh.angles[0], 0);
	const Quat qy = AxisHalfTurn(mesh.angles[1], 1);
	const Quat qz = AxisHalfTurn(mesh.angles[2], 2);
	mesh.localRotation = QuatMultiply(QuatMultiply(qy, qz), qx);
	mesh.worldRotation = QuatMultiply(parentRotation, mesh.localRotation);
	// The matrix conversion is laid out for OpenGL's column reading, which turns by the
	// conjugate: the local matrix built from the conjugate therefore turns by localRotation.
	mesh.localMatrix = RotationMatrix(mesh.localRotation.Conjugate());
	mesh.inverseMatrix = RotationMatrix(mesh.localRotation);
	const Vec3 offset =
	    RotateVector(parentRotation, {mesh.pivot.x - parentPivot.x, mesh.pivot.y - parentPivot.y,
	                                  mesh.pivot.z - parentPivot.z});
	mesh.worldPosition = {parentWorld.x + offset.x, parentWorld.y + offset.y, parentWorld.z + offset.z};
	for (const int32_t child : mesh.children)
	{
		UpdateNode(child, mesh.worldRotation, mesh.pivot, mesh.worldPosition);
	}
}

void StaticModel::RefreshAnchors(int index, float frameTime)
{
	ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	const Quat turn = orientation.Conjugate();
	for (ModelAnchor& anchor : mesh.anchors)
	{
		// The train's steam point is placed by the train animation.
		if (anchor.name == "emit locosteam")
		{
			continue;
		}
		const Vec3 local = RotateVector(turn, anchor.localPosition);
		anchor.worldPosition = {position.x + mesh.worldPosition.x + local.x,
		                        position.y + mesh.worldPosition.y + local.y,
		                        position.z + mesh.worldPosition.z + local.z};
	}
	for (const int chosen : AnchorsToEmit(mesh.anchors, emitCursor, frameTime))
	{
		EmitAnchor(mesh.anchors[static_cast<size_t>(chosen)]);
	}
	for (const int32_t child : mesh.children)
	{
		RefreshAnchors(child, frameTime);
	}
}

void StaticModel::Update(float frameTime)
{
	const int hull = FindHull();
	if (hull < 0)
	{
		return;
	}
	UpdateNode(hull, kQuatIdentity, kVec3Zero, kVec3Zero);
	RefreshAnchors(hull, frameTime);
	for (ModelMesh& mesh : meshes)
	{
		mesh.scrollOffset[0] += frameTime * 0.03f * mesh.material.scrollU;
		mesh.scrollOffset[1] += frameTime * 0.03f * mesh.material.scrollV;
	}
}

void StaticModel::DrawNode(int index, const Vec3& parentPivot) const
{
	const ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	glTranslatef(mesh.pivot.x - parentPivot.x, mesh.pivot.y - parentPivot.y, mesh.pivot.z - parentPivot.z);
	glMultMatrixf(mesh.localMatrix.m);
	DrawMesh(mesh);
	for (const int32_t child : mesh.children)
	{
		DrawNode(child, mesh.pivot);
	}
	glMultMatrixf(mesh.inverseMatrix.m);
	glTranslatef(parentPivot.x - mesh.pivot.x, parentPivot.y - mesh.pivot.y, parentPivot.z - mesh.pivot.z);
}

void StaticModel::Draw() const
{
	const int hull = FindHull();
	if (hull < 0)
	{
		return;
	}
	glTranslatef(position.x, position.y, position.z);
	glMultMatrixf(RotationMatrix(orientation).m);
	DrawNode(hull, meshes[static_cast<size_t>(hull)].pivot);
	glMultMatrixf(RotationMatrix(orientation.Conjugate()).m);
	glTranslatef(-position.x, -position.y, -position.z);
}

void Scene::ResetVisibility()
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		object->unvisited = true;
		object->visible = false;
	}
}

void Scene::DrawList(const std::vector<SceneObject*>& list, float alphaReference, float frameTime,
                     const LocalTime& time)
{
	BindSharedVertices(*this);
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
	glEnable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glEnable(GL_ALPHA_TEST);
	glAlphaFunc(GL_GREATER, alphaReference);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	if (Camera* camera = CurrentCamera())
	{
		camera->Apply();
	}
	for (SceneObject* object : list)
	{
		int lightsOn = 0;
		if (object->hasLightmap)
		{
			glDisable(GL_LIGHTING);
		}
		else
		{
			lightsOn = ApplyLights(*object);
		}
		++drawnObjects;
		if (object->isInstance)
		{
			DrawPlacedModel(*object, frameTime, time);
		}
		else if (object->isAnimated)
		{
			object->animated->Update(frameTime);
			object->animated->Draw();
		}
		else
		{
			for (const SceneSubmesh& submesh : object->submeshes)
			{
				DrawSubmesh(submesh, false);
			}
		}
		if (!object->hasLightmap)
		{
			ReleaseLights(lightsOn);
		}
	}
	UnbindSharedVertices();
}

void Scene::VisitZone(SceneObject& zone, const Vec3& eye)
{
	for (bool* member : zone.members)
	{
		*member = zone.visible;
	}
	zone.unvisited = false;
	for (ScenePortal* portal : zone.portals)
	{
		TestPortal(*portal, eye);
	}
}

void Scene::TestPortal(ScenePortal& portal, const Vec3& eye)
{
	if (portal.targetVisible == nullptr)
	{
		return;
	}
	if (!*portal.targetVisible && !portal.positions.empty())
	{
		const Vec3& first = portal.positions[0];
		const Vec3 towardsEye{eye.x - first.x, eye.y - first.y, eye.z - first.z};
		if (Dot(towardsEye, portal.normal) > 0.0f)
		{
			const bool cornerSeen =
			    std::any_of(portal.positions.begin(), portal.positions.end(),
			                [](const Vec3& p) { return g_frustum.SphereVisible(p.x, p.y, p.z, 35.0f); });
			*portal.targetVisible = cornerSeen || g_frustum.CubeVisible(portal.center.x, portal.center.y,
			                                                            portal.center.z, 175.0f);
		}
	}
	if (!*portal.targetVisible || portal.target == nullptr)
	{
		return;
	}
	Camera* camera = CurrentCamera();
	const float dx = portal.center.x - eye.x;
	const float dy = portal.center.y - eye.y;
	const float flatDistance = std::sqrt(dx * dx + dy * dy);
	if (flatDistance > 260.0f)
	{
		// Seen from afar, the zone behind is judged through a narrow view aimed at the portal.
		glMatrixMode(GL_PROJECTION);
		glLoadIdentity();
		gluPerspective(30.0, 1.333, 1.0, 3000.0);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		gluLookAt(eye.x, eye.y, eye.z, eye.x + dx / flatDistance, eye.y + dy / flatDistance, eye.z,
		          camera->up.x, camera->up.y, camera->up.z);
	}
	else
	{
		camera->Apply();
	}
	g_frustum.Extract();
	if (portal.target->unvisited)
	{
		VisitZone(*portal.target, eye);
	}
}

void Scene::VisitZoneByQueries(SceneObject& zone)
{
	for (bool* member : zone.members)
	{
		*member = zone.visible;
	}
	zone.unvisited = false;
	for (ScenePortal* portal : zone.portals)
	{
		if (QueryResult(portal->queryName) == 0 || portal->targetVisible == nullptr)
		{
			continue;
		}
		*portal->targetVisible = true;
		if (portal->target != nullptr && portal->target->unvisited)
		{
			VisitZoneByQueries(*portal->target);
		}
	}
}

void Scene::EmitSceneAnchors()
{
	for (const std::unique_ptr<SceneAnchor>& anchor : anchors)
	{
		if (!anchor->visible)
		{
			continue;
		}
		if (anchor->kind == 1)
		{
			lightSourcePosition = anchor->worldPosition;
			lightSourceSeen = true;
		}
		else if (anchor->kind == 2)
		{
			EmitAnchor(*anchor);
		}
		anchor->visible = false;
	}
}

void Scene::BuildLists()
{
	opaqueList.clear();
	glassList.clear();
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (object->visible)
		{
			(object->glass ? glassList : opaqueList).push_back(object.get());
		}
	}
}

std::vector<SceneObject*> Scene::EveryObject(bool glass) const
{
	std::vector<SceneObject*> pass;
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (object->glass == glass)
		{
			pass.push_back(object.get());
		}
	}
	return pass;
}

void Scene::CullPlain()
{
	Camera& camera = *CurrentCamera();
	camera.Apply();
	for (SceneObject* zone : zones)
	{
		if (BoxStrictlyContains(zone->boxMin, zone->boxMax, camera.position))
		{
			zone->visible = true;
			VisitZone(*zone, camera.position);
		}
	}
	camera.Apply();
	for (SceneObject* object : others)
	{
		if (object->isInstance && object->visible)
		{
			const Vec3& c = object->boundCenter;
			object->visible = g_frustum.CubeVisible(c.x, c.y, c.z, object->boundRadius);
		}
	}
}

void Scene::CullByQueries()
{
	const Vec3 eye = CurrentCamera()->position;
	for (SceneObject* zone : zones)
	{
		if (BoxStrictlyContains(zone->boxMin, zone->boxMax, eye))
		{
			zone->visible = true;
			VisitZoneByQueries(*zone);
		}
	}
	// Instances in a visible zone are queried again next frame whatever this frame's answer, so an
	// instance hidden once can come back into view. With the eye inside an instance's query box the
	// box's faces lie all around it, some behind walls, and its count says nothing: the model is
	// right there, so it counts as seen.
	queryCandidates.clear();
	for (SceneObject* object : others)
	{
		if (object->isInstance && object->visible)
		{
			queryCandidates.push_back(object);
			const Vec3 half = object->extent * 0.5f;
			const bool eyeInsideBox =
			    BoxStrictlyContains(object->boundCenter - half, object->boundCenter + half, eye);
			object->visible = eyeInsideBox || QueryResult(object->queryName) != 0;
		}
	}
}

void Scene::IssueQueries()
{
	glDisable(GL_LIGHTING);
	glDisable(GL_TEXTURE_2D);
	glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
	glEnable(GL_BLEND);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE);
	glDisable(GL_FOG);
	glEnable(GL_CULL_FACE);
	glDepthMask(GL_FALSE);
	for (SceneObject* zone : zones)
	{
		if (!zone->visible)
		{
			continue;
		}
		for (const ScenePortal* portal : zone->portals)
		{
			glBeginQueryARB(GL_SAMPLES_PASSED_ARB, portal->queryName);
			DrawPortalTriangles(*portal);
			glEndQueryARB(GL_SAMPLES_PASSED_ARB);
		}
	}
	glDisable(GL_CULL_FACE);
	for (const SceneObject* object : queryCandidates)
	{
		const Vec3& c = object->boundCenter;
		glBeginQueryARB(GL_SAMPLES_PASSED_ARB, object->queryName);
		glTranslatef(c.x, c.y, c.z);
		DrawSolidBox(object->extent.x, object->extent.y, object->extent.z);
		glTranslatef(-c.x, -c.y, -c.z);
		glEndQueryARB(GL_SAMPLES_PASSED_ARB);
	}
	glEnable(GL_CULL_FACE);
	glDisable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Scene::CullAndDrawOpaque(float frameTime, const LocalTime& time)
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		object->unvisited = true;
	}
	opaqueList.clear();
	glassList.clear();
	// Without a camera there is no view to draw.
	if (CurrentCamera() == nullptr)
	{
		return;
	}
	if (hasOcclusionQuery)
	{
		CullByQueries();
	}
	else
	{
		CullPlain();
	}
	EmitSceneAnchors();
	BuildLists();
	DrawList(opaqueList, kOpaqueAlphaReference, frameTime, time);
	if (hasOcclusionQuery)
	{
		IssueQueries();
	}
}
