#pragma once

#include "scene/ContentStream.h"

#include <cstdlib>

// What every content reader must do with any bytes: stay inside them (the sanitizers watch),
// and, when the read succeeds, give a record the writer accepts and that reads back to the
// same bytes once written. Every face corner is also looked up the way the loaders do.
template <typename Record, typename VisitCorners>
void FuzzContentFile(std::span<const uint8_t> bytes, VisitCorners visit)
{
	Record record;
	const bool read = ReadContentFile(bytes, record);
	visit(record);
	if (!read)
	{
		return;
	}
	const std::optional<std::vector<uint8_t>> written = WriteContentBytes(record);
	if (!written)
	{
		std::abort();
	}
	Record again;
	if (!ReadContentFile(std::span<const uint8_t>(*written), again) || WriteContentBytes(again) != written)
	{
		std::abort();
	}
}

// Looks up the three corners of every face in `table`, keeping a count the optimiser cannot
// drop.
template <typename T> void VisitCorners(const std::vector<Float3>& faces, const std::vector<T>& table)
{
	volatile size_t pointNowhere = 0;
	for (const Float3& face : faces)
	{
		for (float corner : {face.x, face.y, face.z})
		{
			if (ElementAtReal(table, corner) == T{})
			{
				pointNowhere = pointNowhere + 1;
			}
		}
	}
}
