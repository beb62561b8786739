#include "app/ComprImg.h"

#include "app/About.h"
#include "app/BitmapView.h"
#include "app/Dialogs.h"
#include "app/ImageFileReader.h"
#include "app/MessDlg.h"
#include "app/PhaseTimer.h"
#include "app/ShowException.h"
#include "app/StringTable.h"
#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "controls/CrispScaling.h"
#include "controls/Fonts.h"
#include "controls/UniPanel.h"
#include "formats/Progress.h"
#include "io/Exceptions.h"
#include "qt/BitmapQt.h"
#include "qt/FormatReader.h"
#include "qt/Resources.h"
#include "qt/SLoadImg.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

namespace {

const QString kCaption = "Vantrel";
const QString kImageMasks = kWindowImageMasks;

// The window rule's extension of a name: its last dot's, upper-cased.
QString UpperExtension(const QString& fileName) {
  return QString::fromStdString(WindowExtension(fileName.toStdString()));
}

// The name shown in the caption: what follows the last "/".
QString ShortName(const QString& fileName) {
  return fileName.mid(fileName.lastIndexOf('/') + 1);
}

// Upper-cases the name part only: an upper-cased folder would not exist here.
QString UpperFileName(const QString& fileName) {
  int slash = fileName.lastIndexOf('/');
  return fileName.left(slash + 1) + fileName.mid(slash + 1).toUpper();
}

// Runs its action when the scope ends, also when an exception leaves it.
template <class Action> struct Finally {
  Action action;
  ~Finally() { action(); }
};
template <class Action> Finally(Action) -> Finally<Action>;

void SetPushButton(QPushButton* button, int left, int top, int width, int height) {
  button->setGeometry(left, top, width, height);
  button->setAutoDefault(false);
}

} // namespace

TComprImg::TComprImg(const QStringList& arguments, QWidget* parent) : QWidget(parent) {
  setObjectName("ComprImg");
  setWindowTitle(kCaption);
  setWindowIcon(QIcon(":/icons/vantrel-64.png"));
  setFont(ControlFont("System", -13));
  resize(437 - 8, 308 - 27); // the design's outer size less a typical frame
  setAcceptDrops(true);

  pnlBack = new QWidget(this);
  pnlBack->setGeometry(3, 46, 425, 229);
  pnlBack->setAutoFillBackground(true);
  QPalette lime = pnlBack->palette();
  lime.setColor(QPalette::Window, QColor(0, 255, 0));
  pnlBack->setPalette(lime);

  imgScrollBox = new QScrollArea(this);
  imgScrollBox->setGeometry(5, 48, 417, 225);
  imgScrollBox->setFrameShape(QFrame::NoFrame);
  imgScrollBox->setFocusPolicy(Qt::NoFocus);
  imgBrowse = new TBitmapView;
  imgBrowse->setGeometry(0, 0, 415, 223);
  imgBrowse->setAccessibleName(tr("Nincs kép"));
  imgScrollBox->setWidget(imgBrowse);
  imgScrollBox->setWidgetResizable(false);

  UniPanel1 = new TUniPanel(this);
  UniPanel1->setGeometry(0, 0, 429, 41);
  UniPanel1->SetAlign(alTop);
  UniPanel1->SetCaptnBckColor(clBtnFace);
  UniPanel1->SetHighLight(clYellow);
  UniPanel1->SetShadow(clOlive);
  UniPanel1->SetFrameColor(TUniPanel::frYellow);
  UniPanel1->SetBevelInner(TUniPanel::bvILowered);
  UniPanel1->SetFocusHandle(nullptr);
  UniPanel1->setFont(ControlFont("System", -13));
  UniPanel1->setAccessibleName(tr("Parancsok"));

  btnBrowse = new QPushButton("Browse...", UniPanel1);
  SetPushButton(btnBrowse, 5, 8, 120, 33);
  btnSave = new QPushButton("Save", UniPanel1);
  SetPushButton(btnSave, 304, 8, 120, 33);
  btnSave->setEnabled(false);
  btnControl = new QPushButton("Control", UniPanel1);
  SetPushButton(btnControl, 300, 8, 120, 33);
  btnControl->hide();
  btnExit = new QPushButton("E&xit", UniPanel1);
  SetPushButton(btnExit, 148, 4, 120, 33);
  btnExit->setFont(ControlFont("MS Sans Serif", -13, true));
  {
    TBitmap glyph;
    TResourceStream resource(HInstance(), "EXITGLYPH", TResourceType::RT_BITMAP);
    glyph.LoadFromStream(resource);
    btnExit->setIcon(CrispIcon(BitmapToQImage(glyph)));
    btnExit->setIconSize(QSize(28, 28));
  }
  connect(btnBrowse, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { btnBrowseClick(); }); });
  connect(btnSave, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { btnSaveClick(); }); });
  connect(btnControl, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { btnControlClick(); }); });
  connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });

  PopupMenu1 = new QMenu(this);
  chkCompress = PopupMenu1->addAction("&File Compression");
  chkCompress->setCheckable(true);
  QuickSave1 = PopupMenu1->addAction("&Quick Save");
  QuickSave1->setCheckable(true);
  QuickSave1->setChecked(true);
  PopupMenu1->addSeparator();
  Exit1 = PopupMenu1->addAction("E&xit");
  PopupMenu1->addSeparator();
  Nvjegy1 = PopupMenu1->addAction("&About");
  // Shown in the menu only: F1 reaches the about box through the window's key handler, so
  // the box opens once.
  Nvjegy1->setShortcut(QKeySequence(Qt::Key_F1));
  Nvjegy1->setShortcutContext(Qt::WidgetShortcut);
  // The menu toggles check marks itself; the handlers below own the state instead.
  connect(chkCompress, &QAction::triggered, this, [this] {
    chkCompress->setChecked(!chkCompress->isChecked());
    chkCompressClick();
  });
  connect(QuickSave1, &QAction::triggered, this, [this] {
    QuickSave1->setChecked(!QuickSave1->isChecked());
    QuickSave1Click();
  });
  connect(Exit1, &QAction::triggered, this, [this] { btnExitClick(); });
  connect(Nvjegy1, &QAction::triggered, this, [this] { Nvjegy1Click(); });

  FormCreate(arguments);
}

TComprImg::~TComprImg() {
  qApp->removeEventFilter(this);
  SetDecoderProgress(nullptr);
}

void TComprImg::FormCreate(const QStringList& arguments) {
  imageLoader_ = std::make_unique<TImageLoader>();
  setWindowTitle(windowTitle() + tr(" for Win32"));
  const int base = 10 * TableLanguage();
  btnBrowse->setText(LoadString(base + 1));
  btnExit->setText(LoadString(base + 2));
  saveCaptions_[1] = LoadString(base + 3);
  saveCaptions_[0] = LoadString(base + 4);
  btnSave->setText(saveCaptions_[QuickSave1->isChecked() ? 1 : 0]);
  btnControl->setText(LoadString(base + 5));
  chkCompress->setText(LoadString(base + 21));
  QuickSave1->setText(LoadString(base + 22));
  Exit1->setText(LoadString(base + 23));
  Nvjegy1->setText(LoadString(base + 6));

  qApp->installEventFilter(this);
  bitmap_ = std::make_shared<TUniBitmap>();
  fileReader_ = std::make_unique<TImageFileReader>();
  LayoutControls(true);
  MinClientWidth = 2 * btnControl->width() + btnExit->width() + 20;
  MinClientHeight = btnControl->height() + 40;
  setMinimumSize(MinClientWidth, MinClientHeight);

  if (!arguments.isEmpty() && QFileInfo(arguments.last()).isFile())
    Guarded(this, [&] { LoadImageFile(arguments.last()); });
}

void TComprImg::LayoutControls(bool atCreation) {
  if (atCreation) {
    btnBrowse->move(btnBrowse->x(), (UniPanel1->height() - btnBrowse->height()) / 2);
    btnSave->move(btnSave->x(), btnBrowse->y());
    btnControl->move(btnSave->pos());
    btnExit->move(btnExit->x(), btnSave->y());
    imgScrollBox->move(5, UniPanel1->height() + 5);
  } else {
    imgScrollBox->setGeometry(5, UniPanel1->height() + 5, width() - 10,
                              height() - (UniPanel1->height() + 5) - 5);
  }
  UniPanel1->setGeometry(0, 0, width(), UniPanel1->height());
  btnBrowse->move(5, btnBrowse->y());
  btnSave->move(width() - btnSave->width() - 5, btnSave->y());
  btnControl->setGeometry(btnSave->geometry());
  btnExit->move((UniPanel1->width() - 2 * btnBrowse->width() - btnExit->width()) / 2 +
                    btnBrowse->width(),
                btnExit->y());
  pnlBack->setGeometry(imgScrollBox->geometry().adjusted(-2, -2, 2, 2));
}

void TComprImg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() < MinClientWidth || height() < MinClientHeight) {
    resize(std::max(width(), MinClientWidth), std::max(height(), MinClientHeight));
    return; // the resize brings us back here
  }
  LayoutControls(false);
}

void TComprImg::ShowBitmap(TPhaseTimer& timer) {
  imgBrowse->SetBitmap(bitmap_);
  // One image pixel per screen pixel, also on scaled screens.
  imgBrowse->resize(imgBrowse->BitmapSize());
  imgBrowse->setAccessibleName(ShortName(fileName_));
  imgBrowse->setAccessibleDescription(
      tr("%1 x %2 képpont").arg(bitmap_->Width()).arg(bitmap_->Height()));
  timer.Mark("view");
  timer.FinishAfterPaint("show", imgBrowse);
}

void TComprImg::ClearView() {
  imgBrowse->SetBitmap(nullptr);
  imgBrowse->resize(0, 0);
  imgBrowse->setAccessibleName(tr("Nincs kép"));
  imgBrowse->setAccessibleDescription({});
}

void TComprImg::ShowReadImage(TPhaseTimer& timer) {
  ShowBitmap(timer);
  ResetScroll();
  btnSave->setEnabled(true);
  btnControl->hide();
}

void TComprImg::ResetScroll() {
  imgScrollBox->horizontalScrollBar()->setValue(0);
  imgScrollBox->verticalScrollBar()->setValue(0);
}

void TComprImg::LoadImageFile(const QString& fileName) {
  if (loading_) return; // painting goes on during a decode; a second load must wait
  TPhaseTimer timer("open");
  ClearView();
  bitmap_ = std::make_shared<TUniBitmap>();
  ResetScroll();
  update();
  fileName_ = fileName;

  const std::string name = fileName.toStdString();
  // A BMP, DIB or BLZ file is read straight into the new bitmap, and its errors are not
  // caught here; anything else goes through the loader, which lets painting go on meanwhile.
  const bool throughLoader = !ReadByBitmapItself(name);
  if (throughLoader) {
    loading_ = true;
    SetDecoderProgress([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
  }
  try {
    LoadAsWindowDoes(name, *bitmap_, *imageLoader_,
                     [this, &timer](const std::string& file, TUniBitmap& target) {
                       fileReader_->Load(target, file, timer);
                     });
  } catch (const Exception&) {
    if (!throughLoader) throw;
    SetDecoderProgress(nullptr);
    loading_ = false;
    Dialogs().messageBox(this, tr("H I B A"), tr("A formátum nem ismert"));
    return;
  }
  if (throughLoader) {
    timer.Mark("load");
    SetDecoderProgress(nullptr);
    loading_ = false;
  }
  ShowBitmap(timer);
  setWindowTitle(tr("Vantrel for Win32: %1 %2 x %3")
                     .arg(ShortName(fileName_))
                     .arg(bitmap_->Width())
                     .arg(bitmap_->Height()));
  btnSave->setEnabled(true);
  btnControl->hide();
}

void TComprImg::btnBrowseClick() {
  auto name = Dialogs().openFile(
      this, tr("Images...") + " (" + QString(kImageMasks).replace(';', ' ') + ")", kImageMasks);
  if (!name) return;
  LoadImageFile(*name);
  btnSave->setEnabled(true);
  btnControl->hide();
}

QString TComprImg::QuickSaveBase(const QString& fileName) {
  QFileInfo info(QDir::current(), fileName);
  QString full = QDir::cleanPath(info.absoluteFilePath());
  int slash = full.lastIndexOf('/');
  QString folder = full.left(slash + 1);
  QString name = full.mid(slash + 1);
  int dot = name.lastIndexOf('.');
  // A name without an extension keeps all of it: NAME becomes NAME.BLZ.
  if (dot < 0) return folder + name + '.';
  QString ext = name.mid(dot);
  return folder + name.left(name.indexOf(ext) + 1);
}

void TComprImg::btnSaveClick() {
  TPhaseTimer timer("save");
  savedFileName_ = QuickSaveBase(fileName_);
  if (QuickSave1->isChecked()) {
    savedFileName_ += "BLZ";
    try {
      if (chkCompress->isChecked())
        bitmap_->SaveToBLZFile(savedFileName_.toStdString());
      else
        bitmap_->SaveToPackedBmpFile(savedFileName_.toStdString());
      timer.Mark("write");
      AfterSave();
      timer.FinishWhenIdle("show");
    } catch (const std::exception&) {
      MessDlgBox->ShowExclamDlg(tr("&OK"), tr("Quick saving\rwas unsuccessfull"), tr("E R R O R"),
                                12);
      savedFileName_.clear();
    }
    return;
  }
  auto name = Dialogs().saveFile(this, tr("Compressed") + " (*.blz)", "*.blz", "BLZ");
  if (!name) return;
  savedFileName_ = UpperFileName(*name);
  QString ext = UpperExtension(savedFileName_);
  bool chosenLayout = ext == ".BLZ" || ext == ".BMP";
  if (chosenLayout && !chkCompress->isChecked())
    bitmap_->SaveToPackedBmpFile(savedFileName_.toStdString());
  else
    bitmap_->SaveToBLZFile(savedFileName_.toStdString());
  AfterSave();
}

void TComprImg::AfterSave() {
  btnSave->setEnabled(false);
  btnControl->show();
  btnControl->setEnabled(true);
  ClearView();
  imgBrowse->resize(5, 5);
  ResetScroll();
}

void TComprImg::btnControlClick() {
  if (savedFileName_.isEmpty() || !QFileInfo(savedFileName_).isFile()) return;
  TPhaseTimer timer("control");
  fileName_ = savedFileName_;
  QString ext = UpperExtension(savedFileName_);
  // The new image is shown whether or not the read raises; its error then passes on.
  Finally display{[this, &timer] { ShowReadImage(timer); }};
  if (ext == ".BLZ" || ext == ".BMP") {
    fileReader_->Load(*bitmap_, savedFileName_.toStdString(), timer);
  } else {
    bitmap_->LoadFromBLZFile(savedFileName_.toStdString());
    timer.Mark("read");
  }
}

void TComprImg::btnExitClick() {
  QCoreApplication::exit(0);
}

void TComprImg::chkCompressClick() {
  chkCompress->setChecked(!chkCompress->isChecked());
}

void TComprImg::QuickSave1Click() {
  QuickSave1->setChecked(!QuickSave1->isChecked());
  btnSave->setText(saveCaptions_[QuickSave1->isChecked() ? 1 : 0]);
}

void TComprImg::Nvjegy1Click() {
  ShowAboutBox(this);
}

void TComprImg::PasteFromClipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data || !data->hasImage()) return;
  TPhaseTimer timer("paste");
  Finally display{[this, &timer] {
    fileName_ = "CLIPBRD.BMP";
    ShowReadImage(timer);
    setWindowTitle(
        tr("Vantrel for Win32: Vágólapról %1 x %2").arg(bitmap_->Width()).arg(bitmap_->Height()));
  }};
  bitmap_ = std::make_shared<TUniBitmap>();
  QImageToBitmap(QGuiApplication::clipboard()->image(), *bitmap_);
}

void TComprImg::CopyToClipboard() {
  QGuiApplication::clipboard()->setImage(BitmapToQImage(*bitmap_));
}

void TComprImg::ScrollBy(bool vertical, int delta) {
  QScrollBar* bar =
      vertical ? imgScrollBox->verticalScrollBar() : imgScrollBox->horizontalScrollBar();
  Qt::ScrollBarPolicy policy = vertical ? imgScrollBox->verticalScrollBarPolicy()
                                        : imgScrollBox->horizontalScrollBarPolicy();
  if (policy != Qt::ScrollBarAlwaysOff) bar->setValue(bar->value() + delta);
}

void TComprImg::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  switch (key) {
  case Qt::Key_PageUp:
    ScrollBy(true, -10);
    break;
  case Qt::Key_PageDown:
    ScrollBy(true, 10);
    break;
  case Qt::Key_Insert:
    if (modifiers & Qt::ShiftModifier)
      Guarded(this, [this] { PasteFromClipboard(); });
    else if (modifiers & Qt::ControlModifier)
      CopyToClipboard();
    break;
  case Qt::Key_F1:
    Nvjegy1Click();
    break;
  default:
    break;
  }
}

// Sees every event of the program before it is delivered. Key presses arrive first at a
// top-level window, once each: arrows are swallowed there for every window (no control ever
// gets one) and scroll the view; the main window's own keys then go to FormKeyDown.
bool TComprImg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWindowType()) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
  case Qt::Key_Left:
    ScrollBy(false, -10);
    return true;
  case Qt::Key_Right:
    ScrollBy(false, 10);
    return true;
  case Qt::Key_Up:
    ScrollBy(true, -10);
    return true;
  case Qt::Key_Down:
    ScrollBy(true, 10);
    return true;
  default:
    break;
  }
  if (watched == windowHandle()) FormKeyDown(key->key(), key->modifiers());
  return false;
}

void TComprImg::contextMenuEvent(QContextMenuEvent* event) {
  PopupMenu1->popup(event->globalPos());
}

void TComprImg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TComprImg::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  QString name = urls.first().toLocalFile();
  if (name.size() >= 255) return;
  event->acceptProposedAction();
  fileName_ = name;
  Guarded(this, [&] { LoadImageFile(name); });
}
