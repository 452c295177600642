#include "app/CommandLine.h"

#include <wx/cmdline.h>
#include <wx/intl.h>
#include <wx/msgout.h>
#include <wx/utils.h>

#include "settings/TavoroSettings.h"
#include "tavoro/Version.h"
#include "tools/ImagesDirectory.h"
#include "tools/RotatingLog.h"

namespace Tavoro::CommandLine {
namespace {

constexpr int kBadCommandLine = 2;

// Collects what the parser would print, so the caller decides where it goes.
class CapturedOutput : public wxMessageOutput {
  public:
    CapturedOutput() : m_previous(wxMessageOutput::Set(this)) {}
    ~CapturedOutput() override { wxMessageOutput::Set(m_previous); }
    void Output(const wxString& text) override {
        m_text += text;
        if (!m_text.EndsWith("\n"))
            m_text += "\n";
    }
    const wxString& text() const { return m_text; }

  private:
    wxMessageOutput* m_previous;
    wxString m_text;
};

void describe(wxCmdLineParser& parser) {
    parser.SetLogo(_("Tavoro Client: visitor monitoring and live chat console for operators."));
    parser.AddSwitch("h", "help", _("show this help and exit"), wxCMD_LINE_OPTION_HELP);
    parser.AddSwitch("", "version", _("print the version and exit"));
    parser.AddSwitch("", "paths",
                     _("print where settings, icons, translations and the log are kept, and exit"));
    parser.AddOption("", "settings", _("read and write the settings in FILE"),
                     wxCMD_LINE_VAL_STRING);
    parser.AddSwitch("", "minimized",
                     _("start minimised (hidden in the tray when the desktop has one)"));
}

}  // namespace

wxString paths(const wxString& executablePath, const wxString& settingsFile) {
    wxString settings = settingsFile;
    if (settings.empty() && (!wxGetEnv("TAVORO_SETTINGS_FILE", &settings) || settings.empty()))
        settings = TavoroSettings::defaultFile();
    wxString imagesOverride;
    wxGetEnv("TAVORO_IMAGES_DIR", &imagesOverride);
    return "settings: " + settings + "\n" +
           "icons: " + Tools::resolveImagesDirectory(executablePath, imagesOverride) + "\n" +
           "translations: " + Tools::localeDirectoryFor(executablePath) + "\n" +
           "log: " + Tools::RotatingLog::defaultDirectory() + "/\n";
}

Outcome parse(int argc, char** argv, const wxString& executablePath) {
    Outcome outcome;
    wxCmdLineParser parser(argc, argv);
    describe(parser);
    int result = 0;
    {
        CapturedOutput captured;
        result = parser.Parse(false);
        outcome.err = captured.text();
    }
    if (result == -1) {
        outcome.out = parser.GetUsageString();
        outcome.exitStatus = 0;
        return outcome;
    }
    if (result != 0) {
        outcome.err += wxString::Format(_("Try '%s --help' for the options.\n"),
                                        wxString(argc > 0 ? argv[0] : "tavoro"));
        outcome.exitStatus = kBadCommandLine;
        return outcome;
    }
    parser.Found("settings", &outcome.options.settingsFile);
    outcome.options.minimized = parser.Found("minimized");
    if (parser.Found("version")) {
        outcome.out = wxString("tavoro ") + kClientVersion + "\n";
        outcome.exitStatus = 0;
    } else if (parser.Found("paths")) {
        outcome.out = paths(executablePath, outcome.options.settingsFile);
        outcome.exitStatus = 0;
    }
    return outcome;
}

}  // namespace Tavoro::CommandLine
