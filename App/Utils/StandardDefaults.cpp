#include "App/Utils/StandardDefaults.h"

#include "App/AppIdentity.h"

namespace QEL {

Platform::UserDefaults& standardUserDefaults()
{
    static Platform::UserDefaults defaults(
        Platform::UserDefaults::standardFilePath(AppIdentity::settingsFolderName, AppIdentity::settingsFileName));
    return defaults;
}

} // namespace QEL
