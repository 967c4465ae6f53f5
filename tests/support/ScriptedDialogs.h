// A strict double of the dialog interface: the test lists the dialogs it
// expects, in order, each by kind, caption and prompt with its answer. A
// dialog that was not expected, or that differs from the next expected one,
// fails the test (and is answered with Cancel); an expected dialog still
// unshown when the double goes fails the test too. It installs itself for
// its lifetime.
//
// Caption and prompt per kind: message box: caption and text; input query:
// caption and prompt; open and save dialogs: Title and Filter; folder
// picker: caption and start folder; modal form: the form's Caption and "".
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/Forms.h"
#include "dialogs/Dialogs.h"

class ScriptedDialogs : public TDialogs {
public:
    ScriptedDialogs() : scope_(*this) {}
    ~ScriptedDialogs() override { Verify(); }

    void ExpectMessageBox(const std::string& caption, const std::string& text, int answer)
    {
        steps_.push_back(MakeStep("message box", caption, text, answer));
    }
    // nullopt: Cancel.
    void ExpectInputQuery(const std::string& caption, const std::string& prompt, std::optional<std::string> answer)
    {
        Step step = MakeStep("input query", caption, prompt, answer ? IDOK : IDCANCEL);
        step.text = answer;
        steps_.push_back(step);
    }
    // No files: Cancel.
    void ExpectOpen(const std::string& title, const std::string& filter, std::vector<std::string> files)
    {
        Step step = MakeStep("open dialog", title, filter, files.empty() ? IDCANCEL : IDOK);
        step.files = std::move(files);
        steps_.push_back(step);
    }
    void ExpectSave(const std::string& title, const std::string& filter, std::optional<std::string> file)
    {
        Step step = MakeStep("save dialog", title, filter, file ? IDOK : IDCANCEL);
        step.text = file;
        steps_.push_back(step);
    }
    void ExpectSelectFolder(const std::string& caption, const std::string& startFolder, std::optional<std::string> folder)
    {
        Step step = MakeStep("folder picker", caption, startFolder, folder ? IDOK : IDCANCEL);
        step.text = folder;
        steps_.push_back(step);
    }
    // during runs while the form "shows" (fill its controls, click a button).
    void ExpectShowModal(const std::string& caption, TModalResult answer, std::function<void(TForm&)> during = {})
    {
        Step step = MakeStep("modal form", caption, "", answer);
        step.during = std::move(during);
        steps_.push_back(step);
    }

    // Fails for every expected dialog not shown, then forgets them.
    void Verify()
    {
        for (const Step& step : steps_)
            ADD_FAILURE() << "expected " << step.kind << " \"" << step.caption << "\" / \"" << step.prompt
                          << "\" was never shown";
        steps_.clear();
    }

    // The flags of the last message box shown.
    unsigned LastMessageFlags() const { return lastFlags_; }
    // Whether the last input query hid what was typed.
    bool LastQueryMasked() const { return lastQueryMasked_; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override
    {
        lastFlags_ = flags;
        std::optional<Step> step = Next("message box", caption, text);
        return step ? step->answer : IDCANCEL;
    }

    bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        const bool answered = InputQuery(caption, prompt, value);
        lastQueryMasked_ = true;
        return answered;
    }

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        lastQueryMasked_ = false;
        std::optional<Step> step = Next("input query", caption, prompt);
        if (!step || !step->text)
            return false;
        value = *step->text;
        return true;
    }

    bool ExecuteOpen(TOpenDialog& dialog) override
    {
        std::optional<Step> step = Next("open dialog", dialog.Title, dialog.Filter);
        if (!step || step->files.empty())
            return false;
        dialog.Files = step->files;
        dialog.FileName = step->files.front();
        return true;
    }

    bool ExecuteSave(TSaveDialog& dialog) override
    {
        std::optional<Step> step = Next("save dialog", dialog.Title, dialog.Filter);
        if (!step || !step->text)
            return false;
        dialog.FileName = *step->text;
        dialog.Files = {dialog.FileName};
        return true;
    }

    std::optional<std::string> SelectFolder(const std::string& caption, const std::string& startFolder) override
    {
        std::optional<Step> step = Next("folder picker", caption, startFolder);
        return step ? step->text : std::nullopt;
    }

    std::optional<TModalResult> ShowModal(TForm& form) override
    {
        std::optional<Step> step = Next("modal form", form.Caption(), "");
        if (!step)
            return mrCancel;
        if (step->during)
            step->during(form);
        return step->answer;
    }

private:
    struct Step {
        std::string kind;
        std::string caption;
        std::string prompt;
        int answer = IDCANCEL;
        std::optional<std::string> text;
        std::vector<std::string> files;
        std::function<void(TForm&)> during;
    };

    static Step MakeStep(const std::string& kind, const std::string& caption, const std::string& prompt, int answer)
    {
        Step step;
        step.kind = kind;
        step.caption = caption;
        step.prompt = prompt;
        step.answer = answer;
        return step;
    }

    std::optional<Step> Next(const std::string& kind, const std::string& caption, const std::string& prompt)
    {
        if (steps_.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " \"" << caption << "\" / \"" << prompt << "\"";
            return std::nullopt;
        }
        Step step = steps_.front();
        steps_.pop_front();
        if (step.kind != kind || step.caption != caption || step.prompt != prompt) {
            ADD_FAILURE() << "expected " << step.kind << " \"" << step.caption << "\" / \"" << step.prompt
                          << "\" but got " << kind << " \"" << caption << "\" / \"" << prompt << "\"";
            return std::nullopt;
        }
        return step;
    }

    TDialogsScope scope_;
    std::deque<Step> steps_;
    unsigned lastFlags_ = 0;
    bool lastQueryMasked_ = false;
};
