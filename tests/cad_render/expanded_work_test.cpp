// Small drawings that expand to a great deal of drawing (long texts, long polylines and splines, huge curves,
// fine hatch patterns, each repeated by references, arrays and nesting), each plotted by a fresh cadhost: it
// plots within bounded memory and time, or is refused at open with the block named. And an interrupting signal
// ends cadhost in the middle of a long page, leaving nothing behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cadhost_run.h"
#include "render_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using rendertest::RenderTest;

class ExpandedWork : public RenderTest {
 protected:
  RunOptions options() const {
    RunOptions o;
    o.workingDirectory = folder_->path();
    o.environment = {{"HOME", path("home")},
                     {"XDG_CONFIG_HOME", path("config")},
                     {"XDG_DATA_HOME", path("data")},
                     {"TMPDIR", path("tmp")}};
    return o;
  }
  void SetUp() override {
    RenderTest::SetUp();
    std::filesystem::create_directories(path("tmp"));
  }
  void write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << content;
  }
  // What the plot left in the folders: the plot's work file beside it, the pages' folder in the temporary one.
  std::vector<std::string> leftOver() const {
    std::vector<std::string> left;
    for (const auto& folder : {folder_->path(), path("tmp")}) {
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Plot-") || name.starts_with("plot-pages-") || name.ends_with(".pdf"))
          left.push_back(name);
      }
    }
    return left;
  }
};

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string drawing(const std::string& blocks, const std::string& entities) {
  return "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::string block(const std::string& name, const std::string& body) {
  return "0\nBLOCK\n2\n" + name + "\n70\n0\n10\n0\n20\n0\n" + body + "0\nENDBLK\n";
}

std::string insert(const std::string& name, double x = 0, double y = 0) {
  return "0\nINSERT\n2\n" + name + "\n10\n" + number(x) + "\n20\n" + number(y) + "\n";
}

// `count` references side by side.
std::string inserts(const std::string& name, int count, double step) {
  std::string out;
  for (int k = 0; k < count; ++k) out += insert(name, (k % 100) * step, (k / 100) * step);
  return out;
}

std::string array(const std::string& name, int rows, int columns, double step) {
  return "0\nINSERT\n2\n" + name + "\n10\n0\n20\n0\n70\n" + std::to_string(columns) + "\n71\n" + std::to_string(rows) +
         "\n44\n" + number(step) + "\n45\n" + number(step) + "\n";
}

// `inner` referenced `fan` times in each of `levels` blocks N1…, each holding the one before; the last is
// referenced once, and named.
std::string nested(const std::string& innerBlocks, const std::string& inner, int fan, int levels, double step,
                   std::string& outermost) {
  std::string blocks = innerBlocks, below = inner;
  for (int level = 1; level <= levels; ++level) {
    const std::string name = "N" + std::to_string(level);
    blocks += block(name, inserts(below, fan, step));
    below = name;
  }
  outermost = below;
  return drawing(blocks, insert(below));
}

std::string text(std::size_t characters) {
  return "0\nTEXT\n10\n0\n20\n0\n40\n2.5\n1\n" + std::string(characters, 'W') + "\n";
}

std::string mtext(std::size_t characters) {
  std::string words;
  while (words.size() < characters) words += "word ";
  words.resize(characters);
  return "0\nMTEXT\n10\n0\n20\n0\n40\n2.5\n41\n200\n71\n1\n1\n" + words + "\n";
}

std::string spline(int points) {
  std::string out = "0\nSPLINE\n70\n8\n71\n3\n72\n0\n73\n" + std::to_string(points) + "\n74\n0\n";
  for (int k = 0; k < points; ++k) out += "10\n" + number(k * 0.01) + "\n20\n" + number(k % 2) + "\n30\n0\n";
  return out;
}

std::string polyline(int vertices) {
  std::string out = "0\nLWPOLYLINE\n90\n" + std::to_string(vertices) + "\n70\n0\n";
  for (int k = 0; k < vertices; ++k) out += "10\n" + number(k * 0.001) + "\n20\n" + number(k % 2) + "\n";
  return out;
}

std::string circle(double radius) { return "0\nCIRCLE\n10\n0\n20\n0\n40\n" + number(radius) + "\n"; }

// A short stretch of a circle of radius 1e12: its drawing is a few units long, its circle far off the page.
std::string hugeArc() { return "0\nARC\n10\n0\n20\n-1e12\n40\n1e12\n50\n89.9999999999\n51\n90.0000000001\n"; }

// A 100 × 100 square hatched with lines `spacing` apart, dashed every `dash`.
std::string hatch(double spacing, double dash) {
  return "0\nHATCH\n10\n0\n20\n0\n30\n0\n2\nFINE\n70\n0\n71\n0\n91\n1\n92\n2\n72\n0\n73\n1\n93\n4\n"
         "10\n0\n20\n0\n10\n100\n20\n0\n10\n100\n20\n100\n10\n0\n20\n100\n97\n0\n75\n0\n76\n1\n52\n0\n41\n1\n77\n0\n"
         "78\n1\n53\n0\n43\n0\n44\n0\n45\n0\n46\n" +
         number(spacing) + "\n79\n2\n49\n" + number(dash) + "\n49\n" + number(-dash) + "\n98\n0\n";
}

struct Case {
  const char* name;
  std::string content;
  std::string refusedBlock;  // empty: it plots
};

std::vector<Case> hostileCases() {
  std::vector<Case> cases;
  const auto add = [&](const char* name, std::string content, std::string refused) {
    cases.push_back({name, std::move(content), std::move(refused)});
  };
  // Refused at open: each expands to far more than any real drawing draws.
  add("a text of 1,800 characters in an array of 1,410 × 1,410",
      drawing(block("T", text(1800)), array("T", 1410, 1410, 10)), "T");
  add("a text of 20,000 characters referenced 10,000 times", drawing(block("T", text(20000)), inserts("T", 10000, 10)),
      "T");
  add("a multiline text of 20,000 characters referenced 10,000 times",
      drawing(block("M", mtext(20000)), inserts("M", 10000, 10)), "M");
  add("a spline of 10,000 points in an array of 100 × 100", drawing(block("S", spline(10000)), array("S", 100, 100, 5)),
      "S");
  std::string outermost;
  std::string nestedPolylines = nested(block("P", polyline(100000)), "P", 10, 3, 200, outermost);
  add("a polyline of 100,000 vertices nested three deep, ten each", std::move(nestedPolylines), outermost);
  add("a fine hatch pattern in an array of 100 × 100", drawing(block("H", hatch(0.05, 0.1)), array("H", 100, 100, 100)),
      "H");
  std::string nestedTexts = nested(block("T", text(3000)), "T", 100, 2, 10, outermost);
  add("a text of 3,000 characters nested twice, a hundred each", std::move(nestedTexts), outermost);
  // Plotted, each as drawn: their neighbours that real drawings can hold.
  add("a million circles of radius 1e12", drawing(block("C", circle(1e12)), array("C", 1000, 1000, 1)), "");
  add("1,000 circles of radius 1e12 side by side", drawing(block("C", circle(1e12)), array("C", 1, 1000, 1e9)), "");
  add("10,000 stretches of circles of radius 1e12 crossing the page",
      drawing(block("A", hugeArc()), array("A", 100, 100, 1)), "");
  add("a text of 1,800 characters in an array of 10 × 10", drawing(block("T", text(1800)), array("T", 10, 10, 10)), "");
  add("a multiline text of 20,000 characters referenced 20 times",
      drawing(block("M", mtext(20000)), inserts("M", 20, 300)), "");
  add("a spline of 10,000 points referenced 10 times", drawing(block("S", spline(10000)), inserts("S", 10, 150)), "");
  add("a polyline of 100,000 vertices referenced 10 times",
      drawing(block("P", polyline(100000)), inserts("P", 10, 150)), "");
  add("a hatch pattern in an array of 10 × 10", drawing(block("H", hatch(1, 2)), array("H", 10, 10, 120)), "");
  return cases;
}

// The time a fresh cadhost takes to start, open a one-line drawing and quit: what a refusal at open adds to is
// measured beside it, on the machine as loaded as it is now.
Clock::duration startUp(const std::string& folder, const RunOptions& options) {
  const std::string small = folder + "/small.dxf";
  std::ofstream(small, std::ios::trunc) << drawing("", "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n");
  const Clock::time_point start = Clock::now();
  (void)runProgram(CADHOST_PROGRAM, {"--no-autoload", small}, "QUIT\n", options);
  return Clock::now() - start;
}

TEST_F(ExpandedWork, HostileDrawingsPlotWithinBoundsOrAreRefusedAtOpenNamingTheBlock) {
  for (const Case& c : hostileCases()) {
    SCOPED_TRACE(c.name);
    write("hostile.dxf", c.content);
    std::filesystem::remove(path("hostile.pdf"));
    RunOptions o = options();
    const bool refused = !c.refusedBlock.empty();
    // Watchdogs, not timings: a refusal comes within a second of what opening a small drawing takes; a plot
    // ends within a minute.
    o.timeLimit = refused ? std::chrono::duration_cast<std::chrono::milliseconds>(startUp(folder_->path(), o)) +
                                std::chrono::seconds(1)
                          : std::chrono::milliseconds(std::chrono::seconds(60));
    const CadhostRun run =
        runProgram(CADHOST_PROGRAM, {"--no-autoload", path("hostile.dxf")}, "PLOT\nhostile.pdf\nQUIT\n", o);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(run.output.find("bad_alloc"), std::string::npos) << run.output;
    EXPECT_LT(run.peakKilobytes, 2L << 20);
    if (refused) {
      EXPECT_NE(run.output.find("block \"" + c.refusedBlock + "\" the most), beyond the 2e+07 any drawing may draw"),
                std::string::npos)
          << run.output;
      EXPECT_FALSE(std::filesystem::exists(path("hostile.pdf")));
    } else {
      EXPECT_GT(std::filesystem::exists(path("hostile.pdf")) ? std::filesystem::file_size(path("hostile.pdf")) : 0, 0u)
          << run.output;
    }
    EXPECT_EQ(leftOver(), std::vector<std::string>(refused ? 0 : 1, "hostile.pdf"));
  }
}

// A page that takes long to draw: many long multiline texts, within what a drawing may draw.
std::string longPage() { return drawing(block("M", mtext(20000)), inserts("M", 600, 300)); }

TEST_F(ExpandedWork, AnInterruptingSignalEndsCadhostInTheMiddleOfAPageLeavingNothing) {
  write("long.dxf", longPage());
  write("script.txt", "PLOT\nlong.pdf\nQUIT\n");
  for (const int sent : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sent));
    const int input = ::open(path("script.txt").c_str(), O_RDONLY);
    const int output = ::open(path("output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(input, 0);
    ASSERT_GE(output, 0);
    const pid_t child =
        startProgram(CADHOST_PROGRAM, {"--no-autoload", path("long.dxf")}, options(), input, output, output);
    ::close(input);
    ::close(output);
    // The page is being drawn once its pages' folder is made (that is, past the steps between pages); the page
    // takes far longer than the wait below.
    const auto pagesFolderMade = [&] {
      for (const auto& entry : std::filesystem::directory_iterator(path("tmp"))) {
        if (entry.path().filename().string().starts_with("plot-pages-")) return true;
      }
      return false;
    };
    int status = 0;
    bool ended = false;
    for (const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(120); !pagesFolderMade();) {
      if (waitpid(child, &status, WNOHANG) == child || Clock::now() > giveUp) {
        ended = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_FALSE(ended) << "cadhost ended, or never began the page";
    ASSERT_EQ(kill(child, sent), 0);
    // Watchdog: it ends within a second of the signal, or is killed and the case fails.
    for (const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1); !ended;) {
      if (waitpid(child, &status, WNOHANG) == child) {
        ended = true;
      } else if (Clock::now() > deadline) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    if (!ended) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    std::ifstream said(path("output.txt"));
    const std::string printed((std::istreambuf_iterator<char>(said)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(ended) << "cadhost went on for more than a second after the signal\n" << printed;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sent) << printed;
    EXPECT_EQ(leftOver(), std::vector<std::string>{}) << printed;
  }
}

}  // namespace
