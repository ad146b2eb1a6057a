# Precompiled Qt headers. Most of a file's compile time is spent reading Qt's
# headers, so each library reads the common ones once: the core (Qt Core),
# the windows (Qt Widgets too). Programs built with exactly a library's flags
# reuse its header (REUSE_FROM): the fuzz replays and the benchmarks. The
# tests share two more, made by libraries built with the tests' flags: one for
# the core's tests, one for the windows' tests (tests/CMakeLists.txt).
option(STANZARY_PCH "Precompile the common Qt headers" ON)

set(STANZARY_PCH_CORE
  <QString> <QStringList> <QByteArray> <QList> <QHash> <QDir> <QFile> <QFileInfo>
  <QObject> <QDateTime> <QStandardPaths>
  <algorithm> <functional> <memory> <optional> <vector>)

set(STANZARY_PCH_WIDGETS
  <QApplication> <QWidget> <QLabel> <QPushButton> <QToolButton> <QBoxLayout> <QGridLayout>
  <QLineEdit> <QPlainTextEdit> <QTreeView> <QMessageBox> <QAction> <QPainter> <QStyle>
  <QSettings>)

set(STANZARY_PCH_TEST <QtTest> <QTemporaryDir> <QSignalSpy>)

# stanzary_precompile(<target> <header list names...>)
function(stanzary_precompile target)
  if(NOT STANZARY_PCH)
    return()
  endif()
  set(headers)
  foreach(list ${ARGN})
    list(APPEND headers ${${list}})
  endforeach()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# stanzary_reuse_precompiled(<target> <donor>)
function(stanzary_reuse_precompiled target donor)
  if(STANZARY_PCH AND TARGET ${donor})
    target_precompile_headers(${target} REUSE_FROM ${donor})
  endif()
endfunction()
