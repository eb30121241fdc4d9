// The layers: every include between folders is an edge that docs/ARCHITECTURE.md allows, and
// every folder with sources is in its table.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fenmark::testing {
namespace {

namespace fs = std::filesystem;
using Edges = std::map<std::string, std::set<std::string>>;

const fs::path kRoot = FENMARK_SOURCE_DIR;

// The rows of the "Include edges" table: "| `links/` | `host/` | ..." allows links/ to include
// host/; a folder always includes itself.
Edges AllowedEdges() {
  std::ifstream doc(kRoot / "docs/ARCHITECTURE.md");
  Edges edges;
  bool in_section = false;
  const std::regex folder("`([a-z/]+)/`");
  for (std::string line; std::getline(doc, line);) {
    if (line.rfind("## ", 0) == 0) in_section = line == "## Include edges";
    if (!in_section || line.rfind("| `", 0) != 0) continue;
    const auto from_end = line.find('|', 1);
    const auto to_end = line.find('|', from_end + 1);
    std::smatch from;
    const std::string from_cell = line.substr(1, from_end - 1);
    if (!std::regex_search(from_cell, from, folder)) continue;
    auto& allowed = edges[from[1]];
    allowed.insert(from[1]);
    const std::string to_cell = line.substr(from_end + 1, to_end - from_end - 1);
    for (std::sregex_iterator it(to_cell.begin(), to_cell.end(), folder), end; it != end; ++it)
      allowed.insert((*it)[1]);
  }
  return edges;
}

// The folder an include names: the longest one of the table that holds it. The type library's
// header, generated from addin/com/fenmark.idl, is named without a folder.
std::string FolderOf(const std::string& include, const Edges& edges) {
  if (include == "fenmark_h.h") return "addin/com";
  std::string found;
  for (const auto& [folder, allowed] : edges)
    if (include.rfind(folder + "/", 0) == 0 && folder.size() > found.size()) found = folder;
  return found.empty() ? "(" + include + ")" : found;
}

// Each include of a source in a folder of the table that the table does not allow:
// "links/x.cpp: ui/markup.h".
std::vector<std::string> Crossings(const Edges& edges) {
  std::vector<std::string> crossings;
  const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
  for (const auto& [folder, allowed] : edges) {
    for (const auto& entry : fs::directory_iterator(kRoot / folder)) {
      const auto extension = entry.path().extension();
      if (extension != ".h" && extension != ".cpp" && extension != ".idl") continue;
      std::ifstream source(entry.path());
      for (std::string line; std::getline(source, line);) {
        std::smatch match;
        if (!std::regex_search(line, match, include)) continue;
        if (match[1].str().find('/') == std::string::npos && match[1] != "fenmark_h.h") continue;
        if (!allowed.count(FolderOf(match[1], edges)))
          crossings.push_back(folder + "/" + entry.path().filename().string() + ": " +
                              match[1].str());
      }
    }
  }
  return crossings;
}

TEST(Layers, EveryIncludeFollowsAnEdgeTheArchitectureAllows) {
  const Edges edges = AllowedEdges();
  ASSERT_TRUE(edges.count("links") && edges.count("addin/com")) << "no table read";
  EXPECT_EQ(edges.at("links"), (std::set<std::string>{"host", "links"}));
  EXPECT_EQ(Crossings(edges), std::vector<std::string>{});

  // Every folder with sources, but the build's own, is in the table.
  for (auto it = fs::recursive_directory_iterator(kRoot); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (name == "build" || name.front() == '.')) {
      it.disable_recursion_pending();
      continue;
    }
    const auto extension = it->path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    const std::string folder = fs::relative(it->path().parent_path(), kRoot).generic_string();
    EXPECT_TRUE(edges.count(folder)) << folder << " is in no row of the table";
  }
}

}  // namespace
}  // namespace fenmark::testing
