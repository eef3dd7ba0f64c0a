#include "ReadModel.h"

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/ProgressHandler.h>

#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <cstdlib>
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (gcc's has no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using config_quorvel::ConfiguratorError;
using config_quorvel::Configuration;
using config_quorvel::Event;
using panel_sim::CommandKind;
using panel_sim::Fault;
using panel_sim::FaultRule;
using soak::PlannedFault;
using soak::ReadModel;

namespace {

constexpr int soakReads = 200;
constexpr int warmUpReads = 20;
constexpr std::uint32_t firstSeed = 20240305;

// One row of the event table as the window shows it.
struct Row {
    std::uint32_t dateTime;
    bool emergency;
    int eventClass;
    int section;
    int address;
    int loop;
    std::uint8_t code;
    std::string when;
    std::u16string object;
    std::u16string what;

    bool operator==(const Row& o) const
    {
        return dateTime == o.dateTime && emergency == o.emergency && eventClass == o.eventClass
            && section == o.section && address == o.address && loop == o.loop && code == o.code
            && when == o.when && object == o.object && what == o.what;
    }
};

using Table = std::vector<Row>;

// Bytes the program holds on the heap right now; 0 where that is unknown.
std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

Table tableOf(const std::vector<Event>& events)
{
    Table table;
    for (const Event& e : events)
        table.push_back({e.dateTime(), e.emergency(), e.eventClass(), e.sectionNumber(), e.address(),
                         e.loopNumber(), e.code(), e.dateTimeText(), e.objectText(), e.eventText()});
    return table;
}

struct Outcome {
    std::optional<std::uint32_t> error; // the ConfiguratorError code, if the read failed
    Table table;
};

// Progress must only move forward and never pass the whole.
struct ForwardProgress : config_quorvel::ProgressHandler {
    void onProgress(float fraction) override
    {
        EXPECT_GE(fraction, last);
        EXPECT_LE(fraction, 1.0f);
        last = fraction;
    }
    float last = 0.0f;
};

Fault randomFault(std::mt19937& random)
{
    static const std::uint8_t statuses[] = {0xA1, 0xA2, 0xA3, 0x5A, 0x00, 0xFF};
    switch (random() % 18) {
    case 0: case 1: case 2: return Fault::silent();
    case 3: case 4: return Fault::statusOnly();
    // Cut anywhere in the answer, or (rarely) after its end: no fault then.
    case 5: case 6: case 7: return Fault::truncate(random() % 262);
    // Any byte, the status byte included; past the end means the last one.
    case 8: case 9: case 10: return Fault::flipBit(random() % 300, static_cast<int>(random() % 8));
    case 11: case 12: case 13: case 14: return Fault::answerStatus(statuses[random() % 6]);
    case 15: return Fault::failWrite();
    case 16: return Fault::failRead();
    default: return Fault::unplug();
    }
}

// Up to three rules on commands the read sends. Speed commands are left
// alone: a panel that switched while its answer was lost listens at another
// speed than the program from then on, which no retry can mend.
std::vector<PlannedFault> randomPlan(std::mt19937& random, bool turbo)
{
    std::vector<CommandKind> kinds{CommandKind::ReadInfo, CommandKind::ReadPage, CommandKind::ReadPage,
                                   CommandKind::RangeChecksum};
    if (!turbo)
        kinds.insert(kinds.end(), 2, CommandKind::Any);
    static const int counts[] = {1, 1, 2, 3, 3, 4, -1};

    std::vector<PlannedFault> plan(random() % 4);
    for (PlannedFault& rule : plan) {
        rule.command = kinds[random() % kinds.size()];
        const int span = rule.command == CommandKind::ReadInfo        ? 4
                         : rule.command == CommandKind::RangeChecksum ? 7
                                                                      : 460;
        rule.first = 1 + static_cast<int>(random() % span);
        rule.count = counts[random() % 7];
        rule.fault = randomFault(random);
    }
    return plan;
}

std::string describe(int read, bool turbo, const std::vector<PlannedFault>& plan)
{
    static const char* kinds[] = {"ReadInfo", "ReadPage", "SetSpeed", "RangeChecksum", "Any"};
    std::ostringstream out;
    out << "read " << read << (turbo ? " turbo" : "") << ":";
    for (const PlannedFault& rule : plan)
        out << " [fault " << static_cast<int>(rule.fault.kind) << " keep " << rule.fault.keep
            << " byte " << rule.fault.byteIndex << " status " << int(rule.fault.status) << " on "
            << kinds[static_cast<int>(rule.command)] << " from " << rule.first << " x" << rule.count << "]";
    return out.str();
}

// The demo panel on the fake line, and the facade the window would use.
class FaultSoak : public ::testing::Test {
protected:
    FaultSoak() : panel(line, panel_sim::buildPanel(panel_sim::demoPanel())) {}

    Outcome read(bool turbo)
    {
        facade.setTurbo(turbo);
        EXPECT_TRUE(facade.openPort("COM1"));
        Configuration configuration;
        configuration.firmwareDate = "earlier";
        ForwardProgress progress;
        Outcome outcome;
        try {
            outcome.table = tableOf(facade.readArchive(configuration, &progress));
        } catch (const ConfiguratorError& e) {
            outcome.error = e.code();
            // A failed read leaves the configuration as it was.
            EXPECT_EQ(configuration.firmwareDate, "earlier");
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the read ended in another exception: " << e.what();
            outcome.error = 99;
        }
        facade.closePort();
        return outcome;
    }

    // Faults numbered from the panel's counts so far.
    void install(const std::vector<PlannedFault>& plan)
    {
        panel.loader().clearFaults();
        for (const PlannedFault& rule : plan) {
            const int before = rule.command == CommandKind::Any
                ? static_cast<int>(panel.loader().commandCount())
                : receivedOf[rule.command];
            panel.addFault(FaultRule{rule.fault, rule.command, before + rule.first, rule.count});
        }
    }

    // Commands the panel received since the last call.
    int takeExchanges()
    {
        const auto log = panel.log();
        for (const auto& exchange : log)
            ++receivedOf[exchange.kind];
        panel.loader().clearLog();
        line.clearCalls();
        return static_cast<int>(log.size());
    }

    // The converter plugged in again and a panel that is back at its normal
    // speed, as after switching it off and on.
    void recover()
    {
        panel.loader().clearFaults();
        line.setFailure(rs485::testing::FakeSerialPlatform::Kind::Write, false);
        line.setFailure(rs485::testing::FakeSerialPlatform::Kind::Read, false);
        panel.loader().setLineSpeed(ReadModel::normalBaud);
    }

    rs485::testing::FakeSerialPlatform line;
    panel_sim::SimulatedPanel panel;
    config_quorvel::ConfigQuorvel facade{line};
    std::map<CommandKind, int> receivedOf;
};

} // namespace

TEST_F(FaultSoak, EveryReadEndsInTheCleanTableOrInTheErrorItsFaultsCallFor)
{
    const Outcome clean = read(false);
    ASSERT_FALSE(clean.error);
    ASSERT_FALSE(clean.table.empty());
    takeExchanges();

    std::map<std::uint32_t, int> failures;
    int survived = 0;
    std::size_t heapAfterWarmUp = 0;
    for (int i = 0; i < soakReads; ++i) {
        if (i == warmUpReads)
            heapAfterWarmUp = heapInUse();
        std::mt19937 random(firstSeed + static_cast<std::uint32_t>(i));
        const bool turbo = random() % 3 == 0;
        const std::vector<PlannedFault> plan = randomPlan(random, turbo);
        SCOPED_TRACE(describe(i, turbo, plan));

        ReadModel model(plan, turbo);
        const std::optional<std::uint32_t> expected = model.run();
        install(plan);
        const Outcome outcome = read(turbo);

        EXPECT_EQ(outcome.error, expected);
        if (!outcome.error) {
            EXPECT_TRUE(outcome.table == clean.table) << "a read under faults gave another table";
            survived += plan.empty() ? 0 : 1;
        } else {
            ++failures[*outcome.error];
        }
        EXPECT_EQ(takeExchanges(), model.exchanges());
        EXPECT_EQ(panel.loader().lineSpeed() != ReadModel::normalBaud, model.panelLeftFast());
        recover();

        if (outcome.error) {
            // Nothing of the failure stays behind in the facade.
            const Outcome again = read(random() % 2 == 0);
            EXPECT_FALSE(again.error) << "no clean read after the failure";
            EXPECT_TRUE(again.table == clean.table);
            takeExchanges();
        }
    }

    // Nothing a read leaves behind accumulates (LeakSanitizer finds what
    // is lost; this finds what is kept).
    EXPECT_LT(heapInUse(), heapAfterWarmUp + 64 * 1024);

    // The soak covers what it is meant to: reads that survive faults and
    // failures of each kind a line can cause.
    EXPECT_GE(survived, 20);
    for (std::uint32_t code : {0u, 1u, 2u, 5u, 7u})
        EXPECT_GE(failures[code], 1) << "no read failed with code " << code;
}
