// Helpers for the tests on the real widgets: answering modal boxes as they
// come up, waiting for a window, and the environment of a test.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qttest {

// What a modal box showed when it came up.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
    bool waitCursor;  // the busy cursor was in force
};

// While it lives, presses a button of every message box that comes up:
// the one whose text choose() names. A short repeating timer finds the box.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<QString(const SeenBox&)> choose) : choose_(std::move(choose))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }
    std::vector<SeenBox> seen;

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        SeenBox s{box->windowTitle(), box->text(), box->icon(), {}, false};
        for (QAbstractButton* button : box->buttons()) s.buttons += button->text();
        const QCursor* cursor = QApplication::overrideCursor();
        s.waitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        seen.push_back(s);
        const QString wanted = choose_(s);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == wanted) {
                button->click();
                return;
            }
        box->close();  // no such button: closed without an answer
    }

    std::function<QString(const SeenBox&)> choose_;
    QTimer timer_;
};

// Runs action once, from the event loop, as soon as ready() holds; looks
// again every interval milliseconds (0: at every pass of the loop).
inline void WhenReady(std::function<bool()> ready, std::function<void()> action, int interval = 10)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, ready, action] {
        if (!ready()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(interval);
}

// Sets environment variables for a test's life and puts the old values back.
class Environment {
public:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        saved_.emplace(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    ~Environment()
    {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace qttest
