// TMessDlgBox: the one-button modal message dialog: a picture, centred text in a chosen
// point size, a caption and a button whose text the caller chooses.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

enum TMessPicture { mpQuestion = 1, mpExclamation = 2, mpStop = 3, mpInformation = 4 };

class TMessDlgBox : public QDialog {
  Q_OBJECT

public:
  static constexpr int mrYes = 6;
  static constexpr int mrCancel = 2;

  explicit TMessDlgBox(QWidget* parent = nullptr);

  int ShowMessDlg(const QString& ButtonText, const QString& MessageText, const QString& DlgCaption,
                  uint8_t FontSize, TMessPicture PictureKind);
  int ShowExclamDlg(const QString& ButtonText, const QString& MessageText,
                    const QString& DlgCaption, uint8_t FontSize);

  QFrame* Bevel1;
  QLabel* Image1;
  QLabel* Label1;
  QPushButton* YesBtn;
  QPushButton* NoBtn;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;
};

// The program's one instance, created right after the main window.
extern TMessDlgBox* MessDlgBox;
