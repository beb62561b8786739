#include "controls/Accessible.h"

#include "controls/PictBtn.h"
#include "controls/ShdLabel.h"
#include "controls/UniPanel.h"

#include <QAccessibleWidget>

#include <functional>

namespace {

class TCaptionedAccessible : public QAccessibleWidget {
public:
  TCaptionedAccessible(QWidget* widget, QAccessible::Role role, std::function<QString()> caption)
      : QAccessibleWidget(widget, role), caption_(std::move(caption)) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return caption_();
    return QAccessibleWidget::text(kind);
  }

private:
  std::function<QString()> caption_;
};

class TPictButtonAccessible : public QAccessibleWidget {
public:
  explicit TPictButtonAccessible(TPictButton* button)
      : QAccessibleWidget(button, QAccessible::Button) {
    addControllingSignal(QStringLiteral("clicked()"));
  }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<TPictButton*>(widget())->clicked();
  }
};

QAccessibleInterface* ControlAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("TUniPanel")) {
    auto* panel = static_cast<TUniPanel*>(object);
    return new TCaptionedAccessible(panel, QAccessible::Pane, [panel] {
      return SpokenCaption(panel->Caption(), panel->ShowAccelChar());
    });
  }
  if (className == QLatin1String("TShadowedLabel")) {
    auto* label = static_cast<TShadowedLabel*>(object);
    return new TCaptionedAccessible(label, QAccessible::StaticText, [label] {
      return SpokenCaption(label->Caption(), label->ShowAccelChar());
    });
  }
  if (className == QLatin1String("TPictButton"))
    return new TPictButtonAccessible(static_cast<TPictButton*>(object));
  return nullptr;
}

} // namespace

QString SpokenCaption(const QString& caption, bool showAccelChar) {
  QString spoken;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (showAccelChar && caption[i] == '&' && i + 1 < caption.size()) ++i;
    spoken += caption[i] == '\r' ? QChar('\n') : caption[i];
  }
  return spoken.trimmed();
}

void InstallControlAccessibility() {
  QAccessible::installFactory(ControlAccessible);
}
