// Holds every #include "folder/..." of the engine to the declared order of its folders
// (layers.txt) and reports, by file and line, each include that reaches a folder on its own line
// or above, each include of a folder outside the order, and each cycle between folders. With
// --graph it prints which folder includes which, with counts, for any source tree.
//
//   gh_layer_check SOURCE_DIR ORDER_FILE
//   gh_layer_check --graph SOURCE_DIR FOLDER...

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct Include
{
	std::string file; // relative to the source folder
	int line = 0;
	std::string fromFolder;
	std::string toFolder;
	std::string target;
};

// Folder name to its line in the order file, counted from 0 at the bottom.
using Ranks = std::map<std::string, int>;

bool ReadOrder(const fs::path& path, Ranks& ranks, std::vector<std::string>& folders)
{
	std::ifstream stream(path);
	if (!stream)
	{
		return false;
	}
	std::string line;
	int rank = 0;
	while (std::getline(stream, line))
	{
		const size_t hash = line.find('#');
		std::istringstream words(line.substr(0, hash));
		std::string folder;
		bool any = false;
		while (words >> folder)
		{
			ranks[folder] = rank;
			folders.push_back(folder);
			any = true;
		}
		rank += any ? 1 : 0;
	}
	return !folders.empty();
}

bool IsSource(const fs::path& path)
{
	const std::string extension = path.extension().string();
	return extension == ".h" || extension == ".cpp";
}

// The quoted target of an `#include "..."` line, or empty for any other line.
std::string QuotedInclude(const std::string& line)
{
	size_t at = line.find_first_not_of(" \t");
	if (at == std::string::npos || line[at] != '#')
	{
		return "";
	}
	at = line.find_first_not_of(" \t", at + 1);
	if (at == std::string::npos || line.compare(at, 7, "include") != 0)
	{
		return "";
	}
	const size_t open = line.find('"', at + 7);
	const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
	return close == std::string::npos ? "" : line.substr(open + 1, close - open - 1);
}

std::vector<Include> ReadIncludes(const fs::path& root, const std::vector<std::string>& folders)
{
	std::vector<Include> includes;
	for (const std::string& folder : folders)
	{
		if (!fs::is_directory(root / folder))
		{
			continue;
		}
		std::vector<fs::path> files;
		for (const auto& entry : fs::recursive_directory_iterator(root / folder))
		{
			if (entry.is_regular_file() && IsSource(entry.path()))
			{
				files.push_back(entry.path());
			}
		}
		std::sort(files.begin(), files.end());
		for (const fs::path& file : files)
		{
			std::ifstream stream(file);
			std::string text;
			int number = 0;
			while (std::getline(stream, text))
			{
				++number;
				const std::string target = QuotedInclude(text);
				const size_t slash = target.find('/');
				if (slash == std::string::npos)
				{
					continue;
				}
				includes.push_back({fs::relative(file, root).generic_string(), number, folder,
				                    target.substr(0, slash), target});
			}
		}
	}
	return includes;
}

using Graph = std::map<std::string, std::map<std::string, int>>;

Graph FolderGraph(const std::vector<Include>& includes)
{
	Graph graph;
	for (const Include& include : includes)
	{
		if (include.toFolder != include.fromFolder)
		{
			++graph[include.fromFolder][include.toFolder];
		}
	}
	return graph;
}

bool Reaches(const Graph& graph, const std::string& from, const std::string& to)
{
	std::set<std::string> seen;
	std::vector<std::string> open{from};
	while (!open.empty())
	{
		const std::string at = open.back();
		open.pop_back();
		const auto edges = graph.find(at);
		if (edges == graph.end())
		{
			continue;
		}
		for (const auto& [next, count] : edges->second)
		{
			if (next == to)
			{
				return true;
			}
			if (seen.insert(next).second)
			{
				open.push_back(next);
			}
		}
	}
	return false;
}

// One shortest way from `from` back to itself, as the folders it passes (breadth first).
std::vector<std::string> ShortestCycle(const Graph& graph, const std::string& from)
{
	std::map<std::string, std::string> cameFrom;
	std::vector<std::string> open{from};
	for (size_t i = 0; i < open.size(); ++i)
	{
		const auto edges = graph.find(open[i]);
		if (edges == graph.end())
		{
			continue;
		}
		for (const auto& [next, count] : edges->second)
		{
			if (next == from)
			{
				std::vector<std::string> cycle{open[i]};
				while (cycle.back() != from)
				{
					cycle.push_back(cameFrom[cycle.back()]);
				}
				std::reverse(cycle.begin(), cycle.end());
				return cycle;
			}
			if (cameFrom.emplace(next, open[i]).second)
			{
				open.push_back(next);
			}
		}
	}
	return {};
}

// A group of folders that all reach one another, and one shortest cycle through its first folder.
struct CycleGroup
{
	std::vector<std::string> folders;
	std::vector<std::string> cycle;
};

std::vector<CycleGroup> Cycles(const Graph& graph)
{
	std::vector<CycleGroup> cycles;
	std::set<std::string> grouped;
	for (const auto& [folder, edges] : graph)
	{
		if (grouped.count(folder) != 0 || !Reaches(graph, folder, folder))
		{
			continue;
		}
		CycleGroup group;
		for (const auto& [other, otherEdges] : graph)
		{
			if (Reaches(graph, folder, other) && Reaches(graph, other, folder))
			{
				grouped.insert(other);
				group.folders.push_back(other);
			}
		}
		group.cycle = ShortestCycle(graph, folder);
		cycles.push_back(group);
	}
	return cycles;
}

void PrintCycle(const CycleGroup& group)
{
	for (const std::string& folder : group.folders)
	{
		std::cout << ' ' << folder;
	}
	std::cout << " (";
	for (const std::string& folder : group.cycle)
	{
		std::cout << folder << " -> ";
	}
	std::cout << group.cycle.front() << ")\n";
}

int PrintGraph(const fs::path& root, const std::vector<std::string>& folders)
{
	const Graph graph = FolderGraph(ReadIncludes(root, folders));
	for (const std::string& from : folders)
	{
		const auto edges = graph.find(from);
		std::cout << from << " ->";
		if (edges != graph.end())
		{
			for (const auto& [to, count] : edges->second)
			{
				std::cout << ' ' << to << " (" << count << ')';
			}
		}
		std::cout << '\n';
	}
	for (const auto& cycle : Cycles(graph))
	{
		std::cout << "in a cycle:";
		PrintCycle(cycle);
	}
	return 0;
}

int Check(const fs::path& root, const fs::path& orderFile)
{
	Ranks ranks;
	std::vector<std::string> folders;
	if (!ReadOrder(orderFile, ranks, folders))
	{
		std::cerr << orderFile.string() << ": cannot read the order of the folders\n";
		return 2;
	}
	const std::vector<Include> includes = ReadIncludes(root, folders);
	int faults = 0;
	for (const Include& include : includes)
	{
		const auto target = ranks.find(include.toFolder);
		const std::string where =
		    include.file + ":" + std::to_string(include.line) + ": includes \"" + include.target + "\": ";
		if (target == ranks.end())
		{
			std::cout << where << include.toFolder << "/ is not an engine folder of the order\n";
			++faults;
		}
		else if (include.toFolder != include.fromFolder && target->second >= ranks.at(include.fromFolder))
		{
			std::cout << where << include.toFolder << "/ is not below " << include.fromFolder
			          << "/ in the order\n";
			++faults;
		}
	}
	for (const auto& cycle : Cycles(FolderGraph(includes)))
	{
		std::cout << "folders in a cycle:";
		PrintCycle(cycle);
		++faults;
	}
	std::cout << includes.size() << " includes read in " << folders.size() << " folders, " << faults
	          << (faults == 1 ? " fault" : " faults") << " (order: " << orderFile.string() << ")\n";
	return faults == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
	const std::vector<std::string> arguments(argv + 1, argv + argc);
	if (arguments.size() >= 2 && arguments[0] == "--graph")
	{
		return PrintGraph(arguments[1], {arguments.begin() + 2, arguments.end()});
	}
	if (arguments.size() != 2)
	{
		std::cerr << "usage: gh_layer_check SOURCE_DIR ORDER_FILE\n"
		             "       gh_layer_check --graph SOURCE_DIR FOLDER...\n";
		return 2;
	}
	return Check(arguments[0], arguments[1]);
}
