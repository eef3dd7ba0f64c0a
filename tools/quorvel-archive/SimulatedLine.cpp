#include <SimulatedLine.h>

#include <panel_builder/PanelBuilder.h>

namespace quorvel_archive {

SimulatedLine::SimulatedLine(panel_sim::PanelMemory memory) : simulated(line, std::move(memory))
{
    line.existingPorts = {portName()};
    line.serialPorts = {portName()};
    line.converterPorts = {portName()};
}

panel_sim::PanelMemory demoPanelMemory()
{
    return panel_sim::buildPanel(panel_sim::demoPanel());
}

} // namespace quorvel_archive
