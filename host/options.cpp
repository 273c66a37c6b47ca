#include "options.h"

namespace cadhost {

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  Options& o = parsed.options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.drawings.push_back(a);
      continue;
    }
    // "--load X" and "--load=X" alike.
    auto valueOf = [&](const std::string& name, std::string& value) -> bool {
      if (a == name) {
        if (i + 1 >= arguments.size()) {
          parsed.error = name + " needs a value";
          return false;
        }
        value = arguments[++i];
        return true;
      }
      value = a.substr(name.size() + 1);
      return true;
    };
    auto is = [&](const std::string& name) { return a == name || a.rfind(name + "=", 0) == 0; };
    std::string value;
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--no-autoload") {
      o.autoload = false;
    } else if (a == "--read-only") {
      o.readOnly = true;
    } else if (is("--load")) {
      if (!valueOf("--load", value)) return parsed;
      if (value.empty()) {
        parsed.error = "--load needs a module";
        return parsed;
      }
      o.modules.push_back(value);
    } else if (is("--script")) {
      if (!valueOf("--script", value)) return parsed;
      if (o.script) {
        parsed.error = "--script given twice";
        return parsed;
      }
      if (value.empty()) {
        parsed.error = "--script needs a file";
        return parsed;
      }
      o.script = value;
    } else {
      parsed.error = "unknown option " + a;
      return parsed;
    }
  }
  return parsed;
}

std::string usageText() {
  return R"(Usage: cadhost [--load MODULE]... [--script FILE] [--no-autoload] [--read-only] [DRAWING]...

The stand-in CAD host. It loads plug-ins, opens the drawings given (DXF, whatever the file's extension;
read-only with --read-only), then reads command lines from FILE (or standard input) as the host's command
line does, and prints the command line to standard output.

Plug-ins
  --load MODULE   load a plug-in module (a shared object exporting
                  extern "C" int acrxEntryPoint(int message, void* appId)); may be repeated.
                  Message 1 initialises it; message 2 unloads it, and the answer 3 refuses.
                  A module whose file name is loaded already (installed, say) is refused.
  --no-autoload   do not load the plug-ins installed for the user.
  Installed plug-ins are bundles: $HOME/Library/Application Support/Autodesk/ApplicationAddins/NAME.bundle,
  loaded in name order before the --load modules. Each bundle's PackageContents.xml names its modules:
      <ApplicationPackage Name="NAME">
        <Components>
          <RuntimeRequirements OS="Linux"/>
          <ComponentEntry AppName="NAME" ModuleName="./Contents/Linux/NAME.so"/>
        </Components>
      </ApplicationPackage>
  Every ComponentEntry with a ModuleName is loaded; the name is relative to the bundle folder and must stay
  inside it. A Components element whose RuntimeRequirements OS does not mention Linux is skipped.

Command lines
  NAME [ANSWER]...  a command name (any case; "_NAME" asks for the global name) runs the command; the rest
                    of the line answers its prompts, a blank entering each answer.
  other lines       while a command prompts, a whole line is one answer: a point "x,y" or "x,y,z", an
                    entity by handle ("2F") or "#id", a selection "2F 30 31", an empty line for Enter,
                    "*CANCEL*" to cancel.
  @VERB ...         acts on windows as a person would; WINDOW is a window's identifier or its title (letter
                    case, blanks and look-alike dots aside), VIEW a view's identifier (a table's cell:
                    NAME-N for row N), and words with blanks go in double quotes. A name that matches
                    nothing is answered with the names there are.
                      @click WINDOW VIEW [cmd|shift]   click a button, check box, table cell…,
                                                  holding Command or Shift
                      @type WINDOW FIELD TEXT     type into a text field and press Return
                      @choose WINDOW VIEW ITEM    choose a pop-up item or a segment (title, or #n)
                                                  or the item of a view's menu ("Language > English")
                      @alert BUTTON               press an alert's button (title, or #n): the one
                                                  showing, else the next one's
                      @file [PATH]...             choose in the open or save panel showing, else in the
                                                  next one; no path cancels it
                      @key [WINDOW] KEY           press Escape, Return, cmd+d… (the key window by default)
                      @scroll WINDOW VIEW DY      turn the wheel over the view (DY > 0: towards the top)
                      @render WINDOW FILE.png [SCALE]   write the window as a PNG image
                      @wait WINDOW VIEW TEXT      wait until the view's text (a field's, a button's
                                                  title) contains TEXT: in a --script, while a
                                                  command runs, it holds itself and the lines after
                                                  it; elsewhere it checks once and says what shows
                      @read WINDOW VIEW           print what the view shows, a table row by row; then
                                                  its tooltip and accessibility label
                      @activate DRAWING           click an open drawing's window (its path or file name)
                      @close DRAWING              press the close button of an open drawing's window
                    While an alert or a panel waits without an answer, the next @ lines act on it,
                    one at a time; at the end of the input it takes its default answer, and shown
                    again after that it is closed unanswered.
                    While a command of a --script FILE runs, the next @ lines act whenever it pumps
                    window events (a plot, for its progress window); @wait holds them until a pump
                    finds its TEXT.
  VARIABLE [VALUE]  a system variable's name (CTAB, TILEMODE, CVPORT, ACADVER, …) shows its value and asks
                    for a new one; Enter keeps it. A layout name with blanks goes on a line of its own.
  DELAY MS          lets timers run for MS milliseconds.
  (defun c:NAME …)  a LISP line: defines the LISP command NAME (nothing else of LISP is evaluated).
  OPEN, CLOSE       open a drawing (the next line names it) or close the current one.
  APPLOAD           loads the module the next line names.
  UNLOAD            unloads every plug-in (a plug-in may refuse).
  QUIT, EXIT        unload the plug-ins and end; so does the end of the script.
Between lines the main queue runs: queued commands, deferred work and due timers.

Files
  Support folders: the host's own (CADHOST_SUPPORT_DIR overrides), then Support in the host's data folder
  ($XDG_DATA_HOME/quodline-host). Aliases: "ALIAS,*COMMAND" lines in acad.pgp, then the user's acadUser.pgp,
  each found along the support folders. Environment values persist in
  $XDG_CONFIG_HOME/quodline-host/environment.json.

Drawings
  A drawing must be a regular file. One that cannot be read is reported with the reason (a damaged one with
  its line) and skipped; one whose damage can be read past opens, and its warnings are shown.

Exit status: 0, or 2 for bad arguments.
)";
}

}  // namespace cadhost
