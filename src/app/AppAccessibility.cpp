#include "app/AppAccessibility.h"

#include "app/BitmapView.h"
#include "controls/Accessible.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* ViewAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("TBitmapView"))
    return new QAccessibleWidget(static_cast<TBitmapView*>(object), QAccessible::Graphic);
  return nullptr;
}

} // namespace

void InstallAccessibility() {
  InstallControlAccessibility();
  QAccessible::installFactory(ViewAccessible);
}
