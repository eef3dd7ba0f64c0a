// quorvel-panel-sim: the simulated panel behind a pseudo-terminal.

#include <ClientWatch.h>
#include <PanelSimOptions.h>

#include <archive_table/ProgramInfo.h>
#include <panel_sim/PtyPanelServer.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace quorvel_panel_sim;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A reader of the path line that has gone must not end the server.
    signal(SIGPIPE, SIG_IGN);
}

int serve(const PanelSimOptions& options)
{
    panel_sim::PtyPanelServer server(panelMemory(options));
    if (options.dumpFile)
        loadDump(server.loader(), *options.dumpFile);
    configureLoader(server.loader(), options);
    if (!server.start()) {
        std::cerr << "quorvel-panel-sim: cannot open a pseudo-terminal\n";
        return 1;
    }
    ClientWatch watch(server.slavePath());
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    const auto linger = std::chrono::duration<double>(options.lingerSeconds);
    bool clientSeen = false;
    Clock::time_point lastSeen = Clock::now();
    std::size_t commandsSeen = 0;
    while (!stopRequested && server.running()) {
        // A reader that does not mark the port is still noticed by its commands.
        const std::size_t commands = server.loader().commandCount();
        if (watch.clientPresent() || commands != commandsSeen) {
            clientSeen = true;
            lastSeen = Clock::now();
            commandsSeen = commands;
        } else if (clientSeen && Clock::now() - lastSeen >= linger) {
            break;
        }
        watch.waitForClose(50);
    }
    const bool hungUp = server.hungUp();
    server.stop();
    std::cerr << "quorvel-panel-sim: " << server.loader().commandCount() << " commands"
              << (hungUp ? ", line hung up" : "") << '\n';
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    PanelSimOptions options;
    try {
        options = parsePanelSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CommandLineError& error) {
        std::cerr << "quorvel-panel-sim: " << error.what() << "\n\n" << panelSimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << panelSimUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "quorvel-panel-sim " << programVersion << '\n';
        return 0;
    }
    installStopHandlers();
    try {
        return serve(options);
    } catch (const std::exception& error) {
        std::cerr << "quorvel-panel-sim: " << error.what() << '\n';
        return 1;
    }
}
