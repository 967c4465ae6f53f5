// A person at Qt's real file dialog on the offscreen platform: steps queued
// before the command that shows it, each run once the dialog is up, with
// real key presses.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

class DialogHands {
public:
    DialogHands() { Poll(); }
    ~DialogHands()
    {
        *alive_ = false;
        for (const Step& step : steps_)
            ADD_FAILURE() << "the " << step.kind << " was never shown";
    }
    DialogHands(const DialogHands&) = delete;
    DialogHands& operator=(const DialogHands&) = delete;

    // In the file dialog: the name field emptied, text typed, then Return.
    // The completion list that a matching name brings up takes a Return, so
    // the step goes on, at the next look, until the dialog has closed.
    void TypeInFileDialog(const std::string& text)
    {
        Queue("file dialog", [text](QWidget& dialog) {
            if (!qobject_cast<QFileDialog*>(&dialog))
                return false;
            QLineEdit* name = dialog.findChild<QLineEdit*>("fileNameEdit");
            EXPECT_NE(name, nullptr);
            if (!name)
                return false;
            const QString typed = QString::fromStdString(text);
            if (name->text() != typed) {
                name->setFocus();
                QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(name, Qt::Key_Delete);
                QTest::keyClicks(name, typed);
            }
            QTest::keyClick(name, Qt::Key_Return);
            return !dialog.isVisible();
        });
    }

private:
    struct Step {
        std::string kind;
        std::function<bool(QWidget&)> act; // false: not this dialog yet
    };

    void Queue(const std::string& kind, std::function<bool(QWidget&)> act) { steps_.push_back({kind, std::move(act)}); }

    // Looks for the next dialog every few milliseconds, in whichever event
    // loop is running.
    void Poll()
    {
        QTimer::singleShot(10, [this, alive = alive_] {
            if (!*alive)
                return;
            QWidget* dialog = QApplication::activeModalWidget();
            if (!steps_.empty() && dialog && dialog->isVisible()) {
                // Out of the queue while it acts: an act may run an event loop.
                Step step = std::move(steps_.front());
                steps_.pop_front();
                if (!step.act(*dialog))
                    steps_.push_front(std::move(step));
            }
            Poll();
        });
    }

    std::deque<Step> steps_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
