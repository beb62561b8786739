// TComprImg: the main window. It opens a picture, shows it in a scrolling view, saves it as
// a BLZ file and reads the saved file back ("Control").
#pragma once

#include <QAction>
#include <QString>
#include <QWidget>

#include <memory>

class QMenu;
class QPushButton;
class QScrollArea;
class TBitmapView;
class TImageFileReader;
class TImageLoader;
class TPhaseTimer;
class TUniBitmap;
class TUniPanel;

class TComprImg : public QWidget {
  Q_OBJECT

public:
  explicit TComprImg(const QStringList& arguments = {}, QWidget* parent = nullptr);
  ~TComprImg() override;

  // Controls, named as in the design.
  QWidget* pnlBack;
  QScrollArea* imgScrollBox;
  TBitmapView* imgBrowse;
  TUniPanel* UniPanel1;
  QPushButton* btnBrowse;
  QPushButton* btnSave;
  QPushButton* btnControl;
  QPushButton* btnExit;
  QMenu* PopupMenu1;
  QAction* chkCompress;
  QAction* QuickSave1;
  QAction* Exit1;
  QAction* Nvjegy1;

  int MinClientWidth = 0;
  int MinClientHeight = 0;

  const TUniBitmap& Bitmap() const { return *bitmap_; }
  const QString& FileName() const { return fileName_; }
  const QString& SavedFileName() const { return savedFileName_; }

  void LoadImageFile(const QString& fileName);
  void PasteFromClipboard();
  void CopyToClipboard();

  void btnBrowseClick();
  void btnSaveClick();
  void btnControlClick();
  void btnExitClick();
  void chkCompressClick();
  void QuickSave1Click();
  void Nvjegy1Click();

  // The quick-save name for `fileName` without "BLZ": its folder and name cut after the dot
  // of the first occurrence of its extension.
  static QString QuickSaveBase(const QString& fileName);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void FormCreate(const QStringList& arguments);
  void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void LayoutControls(bool atCreation);
  void ShowBitmap(TPhaseTimer& timer);
  // Shows the current image after a read, scrolled home, with Save offered again.
  void ShowReadImage(TPhaseTimer& timer);
  void ClearView();
  void AfterSave();
  void ScrollBy(bool vertical, int delta);
  void ResetScroll();

  std::unique_ptr<TImageLoader> imageLoader_;
  // Shared with the view, which shows it until it is given another.
  std::shared_ptr<TUniBitmap> bitmap_;
  std::unique_ptr<TImageFileReader> fileReader_;
  QString fileName_;
  QString savedFileName_;
  QString saveCaptions_[2];
  bool loading_ = false;
};
