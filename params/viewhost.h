#pragma once

#include <QString>

// What the device views ask of the main window: it alone talks to the wrench
// and keeps the settings. Every call runs on the GUI thread.
class ViewHost
{
public:
    virtual ~ViewHost() = default;

    // Writes a parameter ("DSP"), read back after the acknowledge with
    // reRead. False, and nothing sent, unless the wrench is connected and
    // identified, or when the value is too long for one frame (the user is
    // told).
    virtual bool setParam(int id, const char* value, int length, bool reRead) = 0;
    // Schedules the download of the wrench's parameter descriptions; false
    // unless the wrench is connected and identified.
    virtual bool startParamService() = 0;

    // Around a load into the parameter model; quiet leaves the progress bar
    // alone. The beginning empties the history view's queues.
    virtual void beginParamTransfer(bool quiet) = 0;
    virtual void endParamTransfer(bool quiet) = 0;
    // Shows the data-set file name; with remember it is loaded at the next start.
    virtual void setCurrentFile(const QString& name, bool remember) = 0;
    virtual void setXmlPath(const QString& directory) = 0;

    // An error box over the window, shown after any box that is open.
    virtual void showError(const QString& text) = 0;

    // From parameter 113, as the history view decodes it.
    virtual void setHistoryMode(int mode) = 0;
};
