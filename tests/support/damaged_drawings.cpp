#include "damaged_drawings.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// Lines 1-4 open the section; the body starts on line 5.
std::string entities(const std::string& body) {
  return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

std::string readSample(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || text.str().empty()) throw std::runtime_error("cannot read " + path);
  return text.str();
}

std::size_t lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// Where the line holding `at` starts.
std::size_t lineStart(const std::string& text, std::size_t at) {
  const std::size_t newline = text.rfind('\n', at - 1);
  return newline == std::string::npos ? 0 : newline + 1;
}

// The "ENDSEC" line closing the section named `name`.
std::size_t endOfSection(const std::string& text, const std::string& name) {
  const std::size_t section = text.find("\n" + name + "\n");
  const std::size_t endsec = text.find("\nENDSEC\n", section);
  if (section == std::string::npos || endsec == std::string::npos) throw std::runtime_error("no " + name + " section");
  return endsec + 1;
}

std::string makeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

}  // namespace

std::vector<DamagedDrawing> damagedDrawings(const std::string& samplesFolder) {
  std::vector<DamagedDrawing> kinds = {
      {"nan", entities("0\nTEXT\n1\nA\n40\nnan\n"), false,
       "line 10: \"nan\" is not a finite number (group code 40)"},
      {"inf", entities("0\nLINE\n10\ninf\n"), false, "line 8: \"inf\" is not a finite number (group code 10)"},
      {"infinity", entities("0\nLINE\n10\n0\n20\n-Infinity\n"), false,
       "line 10: \"-Infinity\" is not a finite number (group code 20)"},
      {"overflow", entities("0\nCIRCLE\n40\n1e999\n"), false,
       "line 8: \"1e999\" is not a finite number (group code 40)"},
      {"integer-as-text", entities("0\nLWPOLYLINE\n70\nclosed\n"), false,
       "line 8: \"closed\" is not an integer (group code 70)"},
      {"integer-as-fraction", entities("0\nLINE\n62\n1.5\n"), false,
       "line 8: \"1.5\" is not an integer (group code 62)"},
      {"name-with-control-character", entities("0\nLINE\n8\nA\x01" "B\n"), false,
       "line 8: \"A?B\" is not a name (group code 8)"},
      // Lines 5-10 open a layout; its name's value is on line 12, as written or as an escape.
      {"layout-name-with-nul",
       std::string("0\nSECTION\n2\nOBJECTS\n0\nLAYOUT\n5\n1A\n100\nAcDbLayout\n1\na") + '\0' + "b\n0\nENDSEC\n0\nEOF\n", false,
       "line 12: \"a?b\" is not a name (group code 1)"},
      {"layout-name-with-escaped-nul",
       "0\nSECTION\n2\nOBJECTS\n0\nLAYOUT\n5\n1A\n100\nAcDbLayout\n1\na\\U+0000b\n0\nENDSEC\n0\nEOF\n", false,
       "line 12: \"a\\U+0000b\" is not a name (group code 1)"},
      {"handle-not-hexadecimal", entities("0\nLINE\n5\nZZ\n"), true,
       "line 8: a handle is not hexadecimal (\"ZZ\", group code 5); it was read as none"},
      {"long-value", entities("0\nTEXT\n40\n" + std::string(3000, 'x') + "\n"), false,
       "line 8: \"" + std::string(40, 'x') + "…\" (3000 bytes) is not a number (group code 40)"},
      {"long-group-code", entities(std::string(3000, '7') + "\n0\n"), false,
       "line 5: expected a group code, found \"" + std::string(40, '7') + "…\" (3000 bytes)"},
      {"block-defined-twice",
       "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nA1\\U+56FE\\U+6846\n0\nENDBLK\n0\nBLOCK\n2\na1\\U+56FE\\U+6846\n0\nENDBLK\n"
       "0\nENDSEC\n0\nEOF\n",
       false, "line 11: block \"a1图框\" is defined twice"},
      {"comment-only", "999\nwritten by hand\n", false, "line 2: the file ends without any section and without EOF"},
      {"empty", "", false, "the file is empty"},
      {"dwg", std::string("AC1032\0\0\0\x1f\x8b", 11), false,
       "binary DWG files are not supported; save the drawing as DXF"},
      {"unknown-section", "0\nSECTION\n2\nENTITIEZ\n0\nLINE\n10\n0\n20\n0\n11\n5\n21\n5\n0\nENDSEC\n0\nEOF\n", true,
       "line 1: section \"ENTITIEZ\" is not a DXF section; it was skipped"},
      {"undefined-block", entities("0\nINSERT\n2\nA1\\U+56FE\\U+6846\n10\n0\n20\n0\n"), true,
       "1 block reference to undefined blocks (the first, to \"A1图框\", on line 5)"},
      {"model-space-inserted", entities("0\nINSERT\n2\n*Model_Space\n"), true,
       "1 block reference to the model space block (the first on line 5)"},
      // Lines 1-22 define block B, lines 23-26 open the entities.
      {"zero-scale",
       "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n" +
           entities("0\nINSERT\n2\nB\n41\n0\n0\nINSERT\n2\nB\n42\n0.0\n0\nINSERT\n2\nB\n"),
       true, "2 block references with a zero scale (the first on line 27)"},
  };

  // A layout drawing another program wrote, cut in three places.
  const std::string sample = readSample(samplesFolder + "/layouts-frames.dxf");
  const std::string afterEntities = sample.substr(0, endOfSection(sample, "ENTITIES") + std::strlen("ENDSEC\n"));
  kinds.push_back({"cut-after-entities", afterEntities, false,
                   "line " + std::to_string(lines(afterEntities)) +
                       ": the file ends after the ENTITIES section, without its OBJECTS section and without EOF: "
                       "the drawing is cut short"});
  const std::string insideEntities = sample.substr(0, lineStart(sample, endOfSection(sample, "ENTITIES") - 1));
  kinds.push_back({"cut-inside-entities", insideEntities, false,
                   "line " + std::to_string(lines(insideEntities)) +
                       ": the file ends inside the ENTITIES section (no ENDSEC)"});
  const std::string withoutEof = sample.substr(0, lineStart(sample, sample.rfind("\nEOF") - 1));
  kinds.push_back({"without-eof", withoutEof, true,
                   "line " + std::to_string(lines(withoutEof)) + ": the file ends after the OBJECTS section without EOF"});
  return kinds;
}

std::vector<UnreadableItem> unreadableItems() {
  return {
      {"missing", [](const std::string& path) { return path; }, "no such file"},
      {"directory",
       [](const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0 ? path : std::string(); },
       "is a directory"},
      {"named-pipe",
       [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0 ? path : std::string(); },
       "not a regular file"},
      {"device", [](const std::string&) { return std::string("/dev/zero"); }, "not a regular file"},
      {"socket",
       [](const std::string& path) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         if (path.size() >= sizeof address.sun_path) return std::string();
         std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
         if (fd >= 0) ::close(fd);
         return bound ? path : std::string();
       },
       "not a regular file"},
      {"symbolic-link-loop",
       [](const std::string& path) { return ::symlink(path.c_str(), path.c_str()) == 0 ? path : std::string(); },
       "symbolic-link loop (too many levels of symbolic links)"},
      {"dangling-link",
       [](const std::string& path) {
         return ::symlink((path + ".gone").c_str(), path.c_str()) == 0 ? path : std::string();
       },
       "dangling symbolic link (what it points to does not exist)"},
      {"file-in-the-path", [](const std::string& path) { return makeFile(path, "0\nEOF\n") + "/plan.dxf"; },
       "no such file (a part of the path is not a folder)"},
      {"no-read-permission",
       [](const std::string& path) {
         makeFile(path, "0\nEOF\n");
         ::chmod(path.c_str(), 0);
         // The superuser reads it all the same.
         return ::access(path.c_str(), R_OK) == 0 ? std::string() : path;
       },
       "permission denied"},
  };
}

std::string fanningOutDrawing() {
  const auto block = [](const std::string& name, const std::string& body) {
    return "0\nBLOCK\n2\n" + name + "\n10\n0\n20\n0\n" + body + "0\nENDBLK\n";
  };
  const auto insert = [](const std::string& name, double x) {
    return "0\nINSERT\n2\n" + name + "\n10\n" + std::to_string(x) + "\n20\n0\n";
  };
  std::string blocks = block("B0", "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n");
  for (int level = 1; level <= 8; ++level) {
    std::string body;
    for (int k = 0; k < 10; ++k) body += insert("B" + std::to_string(level - 1), k * 2.0);
    blocks += block("B" + std::to_string(level), body);
  }
  return "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + insert("B8", 0) +
         "0\nENDSEC\n0\nEOF\n";
}
