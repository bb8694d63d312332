#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Archives assembled byte by byte from the layout tables, with literal offsets and without the
// project's own writer or layout header, so that a mistake shared by the writer and the reader
// cannot hide.
struct HandEntry
{
	std::string name; // as stored, "\" separated
	std::vector<uint8_t> data;
	uint32_t fileCrc = 0;
	uint16_t flags = 0x8000; // a data area follows
	uint8_t unpackVersion = 20;
	uint8_t method = 0x30; // stored
	uint32_t attributes = 0x20;
};

class HandArchive
{
public:
	explicit HandArchive(uint16_t archiveFlags = 0);

	// A stored file whose checksum is the CRC-32 of its bytes.
	HandEntry& AddFile(const std::string& name, const std::vector<uint8_t>& data);
	// A folder entry: attribute 0x10, sizes and checksum 0, all dictionary bits in the flags.
	HandEntry& AddFolder(const std::string& name);
	// A block of another type, with a data area of `dataSize` bytes.
	void AddOtherBlock(uint8_t type, uint32_t dataSize);

	// The whole archive, ended by an end-of-archive block; the offsets of every file block's
	// start are collected on the way.
	std::vector<uint8_t> Bytes(std::vector<size_t>* fileBlockStarts = nullptr) const;

private:
	struct Block
	{
		bool isFile = true;
		HandEntry entry;
		uint8_t otherType = 0;
		uint32_t otherDataSize = 0;
	};
	uint16_t archiveFlags;
	std::deque<Block> blocks; // a deque keeps the references handed out by Add valid
};

std::vector<uint8_t> BytesOf(const std::string& text);
