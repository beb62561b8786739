#include "app/AppResources.h"

#include <QtGlobal>

void InitAppResources() {
  Q_INIT_RESOURCE(vantrel);
}
