// The folders are layers, lowest first: survey, gis, view, panels, app.  A
// file includes from its own layer or a lower one; the few reaches upward
// that the program has are listed here, so no new one slips in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

const char *const layers[] = {"survey", "gis", "view", "panels", "app"};

int layer_of(const std::string &folder)
{
    for (int i = 0; i < 5; i++)
        if (folder == layers[i])
            return i;
    return -1;
}

// "<file> -> <header>"; a file of "*" stands for every file of its folder.
const std::set<std::string> known_reaches = {
    "survey/counts_file.cpp -> gis/zip_table.h",
    "survey/data_commands.cpp -> gis/map_layer.h",
    "survey/data_commands.cpp -> panels/file_dialogs.h",
    "gis/gis_panel.cpp -> view/map_view.h",
    "gis/map_layer.cpp -> view/camera.h",
    "view/* -> app/shell.h",
    "view/mouse_input.cpp -> panels/info_panel.h",
    "view/mouse_input.cpp -> panels/question_panel.h",
    "panels/* -> app/shell.h",
};

TEST(Layers, NoFileIncludesFromAHigherLayerBeyondTheKnownReaches)
{
    std::set<std::string> reaches;
    int files = 0;
    for (const char *layer : layers) {
        std::filesystem::path folder = std::filesystem::path(QUORVEL_SOURCE_DIR) / layer;
        for (const auto &entry : std::filesystem::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            std::string file = std::string(layer) + "/" + name;
            std::ifstream in(entry.path());
            files++;
            for (std::string line; std::getline(in, line);) {
                if (line.compare(0, 10, "#include \"") != 0)
                    continue;
                std::string header = line.substr(10, line.find('"', 10) - 10);
                int to = layer_of(header.substr(0, header.find('/')));
                std::string reach = file + " -> " + header;
                if (to > layer_of(layer) && !known_reaches.count(reach) &&
                    !known_reaches.count(std::string(layer) + "/* -> " + header))
                    reaches.insert(reach);
            }
        }
    }
    EXPECT_GT(files, 40);
    EXPECT_EQ(std::set<std::string>(), reaches);
}

}  // namespace
