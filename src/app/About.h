// TAboutBox: the modal window about the program: the logo, the name with a solid shadow, a
// "for Windows '32" line, a short description and OK.
#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class TPictButton;
class TShadowedLabel;
class TUniPanel;

class TAboutBox : public QDialog {
  Q_OBJECT

public:
  explicit TAboutBox(QWidget* owner);

  QFrame* Panel1;
  QFrame* Bevel1;
  TShadowedLabel* ProductName;
  TShadowedLabel* WinLab;
  QFrame* Bevel2;
  TPictButton* ProgramIcon;
  TUniPanel* Comments;
  QPushButton* OKButton;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void FormCreate();
};

// The about command: shows a new about box modally, owned by `owner`, and frees it.
void ShowAboutBox(QWidget* owner);
