#include "messages.h"

#include "store_error.h"

namespace sweep {

void runGuarded(Messages& messages, const std::function<void()>& work)
{
    try {
        work();
    } catch (const store::StoreError& error) {
        messages.showFatal(error.description());
    } catch (const std::exception& error) {
        messages.showFatal(QString::fromUtf8(error.what()));
    }
}

} // namespace sweep
