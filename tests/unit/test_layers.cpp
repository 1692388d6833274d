// The folders are layers, lowest first: survey, gis, stats, view, panels,
// app; cli stands beside the windows' layers on the core alone.  A file
// includes from the folders its own may use; the platform-free core
// (survey, gis, stats) includes from nothing else, and no two of its files
// include each other, directly or round a loop.  The one reach upward the
// program keeps is listed here, so no new one slips in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string layers[] = {"survey", "gis", "stats", "view", "panels", "app", "cli"};
const int layer_count = 7;
const int core_layers = 3;
enum { SURVEY, GIS, STATS, VIEW, PANELS, APP, CLI };

// Per layer, the layers it may include from.
const std::set<int> may_use[layer_count] = {
    {SURVEY},
    {SURVEY, GIS},
    {SURVEY, GIS, STATS},
    {SURVEY, GIS, STATS, VIEW},
    {SURVEY, GIS, STATS, VIEW, PANELS},
    {SURVEY, GIS, STATS, VIEW, PANELS, APP},
    {SURVEY, GIS, STATS, CLI},
};

int layer_of(const std::string &header)
{
    for (int layer = 0; layer < layer_count; layer++)
        if (header.compare(0, layers[layer].size() + 1, layers[layer] + "/") == 0)
            return layer;
    return -1;
}

// "folder/name" of a file or header: a .cpp and its .h are one module.
std::string module_of(const std::string &path)
{
    return path.substr(0, path.rfind('.'));
}

// Every "<file> -> <header>" of the layers' folders.
std::set<std::pair<std::string, std::string>> all_includes()
{
    std::set<std::pair<std::string, std::string>> includes;
    for (const std::string &layer : layers) {
        for (const auto &entry : std::filesystem::directory_iterator(std::string(QUORVEL_SOURCE_DIR) + "/" + layer)) {
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);)
                if (line.compare(0, 10, "#include \"") == 0)
                    includes.insert({layer + "/" + entry.path().filename().string(),
                                     line.substr(10, line.find('"', 10) - 10)});
        }
    }
    return includes;
}

// The includes a file's layer may not make: into a layer it may not use,
// or from the core to outside the layers.
std::set<std::string> reaches_of(const std::set<std::pair<std::string, std::string>> &includes)
{
    std::set<std::string> reaches;
    for (const auto &include : includes) {
        int from = layer_of(include.first), to = layer_of(include.second);
        if (to >= 0 ? !may_use[from].count(to) : from < core_layers)
            reaches.insert(include.first + " -> " + include.second);
    }
    return reaches;
}

TEST(Layers, NoFileIncludesFromALayerItMayNotUseBeyondTheKnownReach)
{
    // A selection on the map writes its zip into the Question panel and
    // its numbers into the Info log, as the program always has.
    const std::set<std::string> known = {"view/mouse_input.cpp -> panels/info_panel.h",
                                         "view/mouse_input.cpp -> panels/question_panel.h"};
    std::set<std::string> reaches = reaches_of(all_includes());
    for (const std::string &reach : known)
        reaches.erase(reach);
    EXPECT_EQ(std::set<std::string>(), reaches);

    // The rule itself: cli/ stands on the core alone, whatever it ranks.
    const struct {
        const char *from, *to;
        bool reach;
    } cases[] = {{"cli/a.cpp", "view/camera.h", true},  {"cli/a.cpp", "panels/snapshot.h", true},
                 {"cli/a.cpp", "app/shell.h", true},    {"app/a.cpp", "cli/counts_program.h", true},
                 {"stats/a.cpp", "view/camera.h", true}, {"survey/a.cpp", "resources/resource.h", true},
                 {"cli/a.cpp", "stats/breakdown.h", false}, {"app/a.cpp", "panels/snapshot.h", false},
                 {"panels/a.cpp", "resources/resource.h", false}};
    for (const auto &c : cases)
        EXPECT_EQ(c.reach, reaches_of({{c.from, c.to}}).size() == 1) << c.from << " -> " << c.to;
}

TEST(Layers, NoLoopAmongTheCoresFiles)
{
    std::map<std::string, std::set<std::string>> uses;
    for (const auto &include : all_includes()) {
        std::string from = module_of(include.first), to = module_of(include.second);
        if (layer_of(from) < core_layers && from != to)
            uses[from].insert(to);
    }
    // Depth first; a module met again while still on the path closes a loop.
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<std::string> loops;
    std::function<void(const std::string &, std::string)> visit = [&](const std::string &module,
                                                                        std::string path) {
        path += module;
        state[module] = 1;
        for (const std::string &next : uses[module]) {
            if (state[next] == 1)
                loops.push_back(path + " -> " + next);
            else if (state[next] == 0)
                visit(next, path + " -> ");
        }
        state[module] = 2;
    };
    for (const auto &module : uses)
        if (state[module.first] == 0)
            visit(module.first, "");
    EXPECT_EQ(std::vector<std::string>(), loops);
}

}  // namespace
