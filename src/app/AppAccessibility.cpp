#include "app/AppAccessibility.h"

#include "app/BitmapView.h"
#include "app/ComprImg.h"
#include "controls/Accessible.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* WindowAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("TBitmapView"))
    return new QAccessibleWidget(static_cast<TBitmapView*>(object), QAccessible::Graphic);
  // A plain top-level widget would be announced as a filler.
  if (className == QLatin1String("TComprImg"))
    return new QAccessibleWidget(static_cast<TComprImg*>(object), QAccessible::Window);
  return nullptr;
}

} // namespace

void InstallAccessibility() {
  InstallControlAccessibility();
  QAccessible::installFactory(WindowAccessible);
}
