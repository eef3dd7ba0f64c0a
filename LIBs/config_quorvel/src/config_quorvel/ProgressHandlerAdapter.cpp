#include <config_quorvel/ProgressHandlerAdapter.h>

#include <config_quorvel/ProgressHandler.h>

namespace config_quorvel {

ProgressHandlerAdapter::ProgressHandlerAdapter(int total, config_quorvel::ProgressHandler* handler)
    : total(total), handler(handler)
{
}

void ProgressHandlerAdapter::pageRead(const boot_loader::BufferedMemoryPage&)
{
    step();
}

void ProgressHandlerAdapter::pageWritten(const boot_loader::BufferedMemoryPage&)
{
    step();
}

bool ProgressHandlerAdapter::cancelled() const
{
    return handler && handler->cancelled();
}

void ProgressHandlerAdapter::step()
{
    ++done;
    if (handler)
        handler->onProgress(static_cast<float>(static_cast<double>(done) / total));
}

void ProgressHandlerAdapter::finish()
{
    done = total;
    if (handler)
        handler->onProgress(1.0f);
}

} // namespace config_quorvel
