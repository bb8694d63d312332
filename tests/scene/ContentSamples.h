#pragma once

#include "scene/BsaFile.h"
#include "scene/BsmFile.h"
#include "scene/BssFile.h"

#include <gtest/gtest.h>

// Small but complete records of every content file: every optional string both present and
// absent, every array non-empty. The round-trip tests and the fuzz seeds are made from them.
BsmFile SampleModel();
BssFile SampleScene();
BsaMeshFile SampleAnimatedMesh();
BsaAnimFile SampleAnimation();

// The record with its count fields filled in from its arrays, as a read gives them back.
template <typename Record> Record WithCounts(Record record)
{
	ContentWriter writer;
	Transfer(writer, record);
	return record;
}

// The bytes of a record through the writer; fails the test when the writer refuses it.
template <typename Record> std::vector<uint8_t> WrittenBytes(const Record& record)
{
	const std::optional<std::vector<uint8_t>> bytes = WriteContentBytes(record);
	EXPECT_TRUE(bytes.has_value());
	return bytes.value_or(std::vector<uint8_t>{});
}

// Every file cut short, at every byte, must be reported as a failed read (a valid file is read
// to its last byte, so no shorter piece of it is a whole file).
template <typename Record> void ExpectEveryCutFails(std::span<const uint8_t> bytes)
{
	for (size_t size = 0; size < bytes.size(); ++size)
	{
		Record record;
		EXPECT_FALSE(ReadContentFile(bytes.first(size), record)) << "cut at byte " << size;
	}
	Record whole;
	EXPECT_TRUE(ReadContentFile(bytes, whole));
}
