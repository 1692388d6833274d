// The folders are layers, lowest first: survey, gis, view, panels, app.  A
// file includes from its own layer or a lower one; the few reaches upward
// the program has are listed here, so no new one slips in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

TEST(Layers, NoFileIncludesFromAHigherLayerBeyondTheKnownReaches)
{
    const std::string layers[] = {"survey", "gis", "view", "panels", "app"};
    // "<file> -> <header>", file by file, so that a reach a change removed
    // cannot come back unseen.
    const std::set<std::string> known = {
        "survey/counts_file.cpp -> gis/zip_table.h", "survey/data_commands.cpp -> gis/map_layer.h",
        "survey/data_commands.cpp -> panels/file_dialogs.h", "gis/gis_panel.cpp -> view/map_view.h",
        "gis/map_layer.cpp -> view/camera.h", "view/mouse_input.cpp -> panels/info_panel.h",
        "view/mouse_input.cpp -> panels/question_panel.h", "view/map_view.cpp -> app/shell.h",
        "view/mouse_input.cpp -> app/shell.h", "panels/demographics_panel.cpp -> app/shell.h",
        "panels/info_panel.cpp -> app/shell.h", "panels/question_panel.cpp -> app/shell.h",
        "panels/snapshot.cpp -> app/shell.h"};
    std::set<std::string> reaches;
    for (int from = 0; from < 5; from++) {
        std::string folder = std::string(QUORVEL_SOURCE_DIR) + "/" + layers[from];
        for (const auto &entry : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);) {
                if (line.compare(0, 10, "#include \"") != 0)
                    continue;
                std::string header = line.substr(10, line.find('"', 10) - 10);
                std::string file = layers[from] + "/" + entry.path().filename().string();
                for (int to = from + 1; to < 5; to++)
                    if (header.compare(0, layers[to].size() + 1, layers[to] + "/") == 0)
                        reaches.insert(file + " -> " + header);
            }
        }
    }
    for (const std::string &reach : known)
        reaches.erase(reach);
    EXPECT_EQ(std::set<std::string>(), reaches);
}
