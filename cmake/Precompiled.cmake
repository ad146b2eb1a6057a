# Precompiled Qt headers. Almost all of a translation unit's compile time here
# is spent reading Qt's headers, so each library reads the common ones once,
# and the test programs share the precompiled header of a library built with
# exactly their flags (REUSE_FROM): one library for each test folder.
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
