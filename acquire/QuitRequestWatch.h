// QuitRequestWatch: notices, while it lives, that the application was asked
// to quit. The request itself passes on untouched, so the application's
// own loop still ends once a nested loop has returned.
#pragma once

#include <QObject>

class QuitRequestWatch : public QObject {
public:
    QuitRequestWatch();
    ~QuitRequestWatch() override;

    bool QuitRequested() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool quitSeen_ = false;
};
