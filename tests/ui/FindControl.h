#pragma once

#include <QAbstractItemView>
#include <QStandardItemModel>
#include <QtTest>

#include <type_traits>

namespace stanzary::test {

// The control of type T named name in window, as automation finds it. When
// there is none, the running test fails with a message that names it and gets
// a stand-in of the type (an item view with an empty model) owned by window,
// so that it ends at its next check instead of crashing.
template <typename T>
T *findControl(QObject *window, const char *name)
{
    if (T *found = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr)
        return found;
    QTest::qFail(qPrintable(QStringLiteral("no control named %1").arg(QLatin1String(name))), __FILE__, __LINE__);
    auto *standIn = new T;
    if constexpr (std::is_base_of_v<QWidget, T>) {
        standIn->setParent(qobject_cast<QWidget *>(window));
        if constexpr (std::is_base_of_v<QAbstractItemView, T>)
            standIn->setModel(new QStandardItemModel(standIn));
    } else {
        standIn->setParent(window);
    }
    return standIn;
}

} // namespace stanzary::test
