// The kernel's units depend one way: no unit (a header and its source) includes
// a unit that, directly or through others, includes it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Graph = std::map<std::string, std::set<std::string>>;

// Unit -> the kernel units its header and source include.
Graph kernelIncludes(const fs::path& kernelFolder) {
    Graph graph;
    const std::regex include(R"re(^\s*#\s*include\s+"kernel/(\w+)\.h")re");
    for (const fs::directory_entry& entry : fs::directory_iterator(kernelFolder)) {
        const fs::path file = entry.path();
        if (file.extension() != ".h" && file.extension() != ".cpp") continue;
        const std::string unit = file.stem().string();
        graph[unit];
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_search(line, m, include) && m[1] != unit) graph[unit].insert(m[1]);
        }
    }
    return graph;
}

// A cycle through the graph as the units on it, first unit repeated at the
// end; empty when there is none.
std::vector<std::string> findCycle(const Graph& graph) {
    enum class Mark { None, OnPath, Done };
    std::map<std::string, Mark> mark;
    std::vector<std::string> path;
    std::vector<std::string> cycle;
    std::function<bool(const std::string&)> visit = [&](const std::string& unit) {
        mark[unit] = Mark::OnPath;
        path.push_back(unit);
        const auto it = graph.find(unit);
        if (it != graph.end())
            for (const std::string& next : it->second) {
                if (mark[next] == Mark::OnPath) {
                    auto from = std::find(path.begin(), path.end(), next);
                    cycle.assign(from, path.end());
                    cycle.push_back(next);
                    return true;
                }
                if (mark[next] == Mark::None && visit(next)) return true;
            }
        path.pop_back();
        mark[unit] = Mark::Done;
        return false;
    };
    for (const auto& [unit, includes] : graph)
        if (mark[unit] == Mark::None && visit(unit)) break;
    return cycle;
}

std::string joined(const std::vector<std::string>& units) {
    std::string text;
    for (const std::string& u : units) text += (text.empty() ? "" : " -> ") + u;
    return text;
}

TEST(IncludeGraph, FindsACycleWhereThereIsOne) {
    const Graph graph{{"A", {"B"}}, {"B", {"C"}}, {"C", {"A"}}, {"D", {"A"}}};
    EXPECT_EQ(joined(findCycle(graph)), "A -> B -> C -> A");
    EXPECT_TRUE(findCycle(Graph{{"A", {"B", "C"}}, {"B", {"C"}}, {"C", {}}}).empty());
}

TEST(IncludeGraph, KernelUnitsIncludeEachOtherOneWayOnly) {
    const Graph graph = kernelIncludes(fs::path(ZO_SOURCE_DIR) / "kernel");
    ASSERT_GT(graph.size(), 30u);
    const std::vector<std::string> cycle = findCycle(graph);
    EXPECT_TRUE(cycle.empty()) << joined(cycle);
}

}  // namespace
