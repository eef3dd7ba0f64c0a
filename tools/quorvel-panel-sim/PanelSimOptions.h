#pragma once

#include <panel_sim/PanelMemory.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace panel_sim {
class PanelLoader;
}

namespace quorvel_panel_sim {

// The panel to serve and what goes wrong on its line.
struct PanelSimOptions {
    enum class Panel { Demo, EmptyArchive };

    Panel panel = Panel::Demo;
    bool help = false;
    bool version = false;
    // A dump file whose memory, information block and range checksums are
    // served instead of the built-in panel.
    std::optional<std::string> dumpFile;

    // Identification, different from a compatible panel's when set.
    std::optional<std::uint8_t> loaderVersion;
    std::optional<std::string> deviceType;
    std::optional<std::uint16_t> pageSize;
    std::optional<std::uint8_t> settingsIdentification;

    // Faults, counted in commands received (retries included), 0: none.
    int silentEvery = 0;          // every Nth command goes unheard
    int corruptEvery = 0;         // every Nth answer has a bit inverted
    std::optional<int> stopAfter; // commands answered before the loader falls silent
    std::optional<int> hangUpAfter; // commands answered before the line goes dead

    // How long the server waits for a client to come back before it ends.
    double lingerSeconds = 3.0;
};

class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Throws CommandLineError.
PanelSimOptions parsePanelSimOptions(const std::vector<std::string>& args);

std::string panelSimUsage();

// The memory of the chosen panel with its settings identification.
panel_sim::PanelMemory panelMemory(const PanelSimOptions& options);

// Sets the loader's identification and fault rules.
void configureLoader(panel_sim::PanelLoader& loader, const PanelSimOptions& options);

// Serves a dump instead: its three regions, its information block as the
// loader's and its range checksums. Throws memory_dump::DumpError.
void loadDump(panel_sim::PanelLoader& loader, const std::string& dumpFile);

} // namespace quorvel_panel_sim
