#pragma once

#include <QAbstractItemView>
#include <QStandardItemModel>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <type_traits>
#include <vector>

namespace stanzary::test {

// What findControl hands out in place of a missing control.
using StandIns = std::vector<std::unique_ptr<QObject>>;

// The control of type T named name in window, as automation finds it. When
// there is none, the running test fails with a message that names it and gets
// a stand-in of the type (an item view with an empty model), kept in standIns,
// so that it ends at its next check instead of crashing.
template <typename T>
T *findControl(const QObject *window, const char *name, StandIns &standIns)
{
    T *found = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (found)
        return found;
    QTest::qFail(qPrintable(QStringLiteral("no control named %1").arg(QLatin1String(name))), __FILE__, __LINE__);
    if constexpr (std::is_default_constructible_v<T>) {
        auto standIn = std::make_unique<T>();
        T *out = standIn.get();
        if constexpr (std::is_base_of_v<QAbstractItemView, T>)
            out->setModel(new QStandardItemModel(out));
        standIns.push_back(std::move(standIn));
        return out;
    } else {
        return nullptr;
    }
}

} // namespace stanzary::test
