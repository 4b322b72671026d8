#pragma once

// The platform fakes, and a Main built with them.

#include "main/main_window.h"
#include "platform_fakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// A Main with fakes, started in a temporary current directory holding `remote_inf`, if any,
// or in `cwd` as it is.
struct Rig {
    explicit Rig(const QByteArray& remote_inf = {}, const QString& cwd = {})
    {
        QDir::setCurrent(cwd.isEmpty() ? dir.path() : cwd);
        if (!remote_inf.isEmpty()) {
            QFile f(dir.filePath("remote.inf"));
            if (f.open(QIODevice::WriteOnly))
                f.write(remote_inf);
        }
        main.emplace(MainServices { &socket, &clock, &boxes, &settings });
    }
    ~Rig() { QDir::setCurrent(QDir::tempPath()); }

    QTemporaryDir dir;
    FakeSocket socket;
    FakeClock clock;
    FakeBoxes boxes;
    FakeSettings settings;
    std::optional<Main> main;
};
