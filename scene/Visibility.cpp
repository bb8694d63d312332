// Which of the room's objects the current view shows: zones are walked through their portals from
// the zone that holds the eye, either by testing each portal against the view (the plain walk)
// or by the answers of last frame's occlusion queries, which this frame asks anew.
#include "scene/DrawPasses.h"
#include "scene/Scene.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace
{
constexpr float kOpaqueAlphaReference = 0.001f;

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

void Scene::ResetVisibility()
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		object->unvisited = true;
		object->visible = false;
	}
}

void Scene::VisitZone(SceneObject& zone, const Vec3& eye, PortalTest test)
{
	for (bool* member : zone.members)
	{
		*member = zone.visible;
	}
	zone.unvisited = false;
	for (ScenePortal* portal : zone.portals)
	{
		const bool seen =
		    test == PortalTest::Query ? PortalSeenByQuery(*portal) : PortalSeenInView(*portal, eye);
		if (seen && portal->target != nullptr && portal->target->unvisited)
		{
			VisitZone(*portal->target, eye, test);
		}
	}
}

// The far side is seen when a corner of the portal or its middle lies in the view. The frustum
// the walk goes on with is the view's, or, for a portal seen from afar, a narrow view aimed at it.
bool Scene::PortalSeenInView(ScenePortal& portal, const Vec3& eye)
{
	if (portal.targetVisible == nullptr)
	{
		return false;
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
		return false;
	}
	Camera* camera = CurrentCamera();
	const float dx = portal.center.x - eye.x;
	const float dy = portal.center.y - eye.y;
	const float flatDistance = std::sqrt(dx * dx + dy * dy);
	if (flatDistance > 260.0f)
	{
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
	return true;
}

// The far side is seen when last frame's query of the portal counted any sample.
bool Scene::PortalSeenByQuery(ScenePortal& portal)
{
	if (QueryResult(portal.queryName) == 0 || portal.targetVisible == nullptr)
	{
		return false;
	}
	*portal.targetVisible = true;
	return true;
}

void Scene::EmitSceneAnchors()
{
	for (const std::unique_ptr<SceneAnchor>& anchor : anchors)
	{
		if (!anchor->visible)
		{
			continue;
		}
		if (anchor->kind == AnchorKind::kLightMarker)
		{
			lightSourcePosition = anchor->worldPosition;
			lightSourceSeen = true;
		}
		else if (anchor->kind == AnchorKind::kEmitter)
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

// The zones from the one that holds the eye, then the instances in the visible zones: by the view
// in the plain walk, by last frame's answers with occlusion queries.
void Scene::Cull(PortalTest test)
{
	Camera& camera = *CurrentCamera();
	const Vec3 eye = camera.position;
	if (test == PortalTest::View)
	{
		camera.Apply();
	}
	for (SceneObject* zone : zones)
	{
		if (BoxStrictlyContains(zone->boxMin, zone->boxMax, eye))
		{
			zone->visible = true;
			VisitZone(*zone, eye, test);
		}
	}
	if (test == PortalTest::Query)
	{
		CullInstancesByQueries(eye);
		return;
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

// Instances in a visible zone are queried again next frame whatever this frame's answer, so an
// instance hidden once can come back into view. With the eye inside an instance's query box the
// box's faces lie all around it, some behind walls, and its count says nothing: the model is
// right there, so it counts as seen.
void Scene::CullInstancesByQueries(const Vec3& eye)
{
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
	Cull(hasOcclusionQuery ? PortalTest::Query : PortalTest::View);
	EmitSceneAnchors();
	BuildLists();
	DrawList(opaqueList, kOpaqueAlphaReference, frameTime, time);
	if (hasOcclusionQuery)
	{
		IssueQueries();
	}
}
