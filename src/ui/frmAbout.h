#pragma once

#include <QList>
#include <QWidget>

class QLabel;

namespace stanzary {

class basMain;
class UserDialogs;

// The About window: the version and its release date with "Check for
// updates!" (cmdCheck, which opens the maker's news page for this version),
// a short description, and the icon legend - six rows, each an image of the
// main image list (img0 .. img5) beside the kind of song it marks. The
// pictures are taken from the image list whenever the window is shown.
// Escape closes it. Works on the state and dialogs it is given (neither
// owned).
class frmAbout : public QWidget
{
    Q_OBJECT

public:
    frmAbout(basMain &state, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~frmAbout() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildVersionFrame();
    QWidget *buildInformationFrame();
    QWidget *buildLegendFrame();
    void showLegendImages();
    void cmdCheck_Click();

    basMain &m_state;
    UserDialogs &m_dialogs;
    QList<QLabel *> m_legendImages; // img0 .. img5
};

} // namespace stanzary
