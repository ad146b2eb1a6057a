# Precompiled Qt headers. Most of a window's compile time is spent reading Qt
# Widgets' headers, so the windows' library reads the common ones once, and the
# windows' tests share the precompiled header of a library built with exactly
# their flags (REUSE_FROM).
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
