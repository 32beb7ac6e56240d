#include "StandInDocTypes.h"

#include "CMultiDocTemplate.h"
#include "resource.h"

CMultiDocTemplate* CreateStandInBrowserTemplate() {
    return new CMultiDocTemplate(IDR_BROWSERTYPE, QString(), {}, {});
}
