#include "SwingModel.h"

#include <algorithm>

std::vector<SwingModelListener*>& listenerRegistry()
{
    static std::vector<SwingModelListener*> registry;
    return registry;
}

SwingModelListener::SwingModelListener()
{
    listenerRegistry().push_back(this);
}

SwingModelListener::SwingModelListener(const SwingModelListener&) : SwingModelListener() {}

SwingModelListener::~SwingModelListener()
{
    auto& r = listenerRegistry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void SwingModel::notify(ChangeFlags flags)
{
    if (!notifyEnabled)
        return;
    // Indexing rather than iterators: a listener that appears or goes away
    // during delivery must not leave us walking freed storage.
    auto& r = listenerRegistry();
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i]->modelChanged(*this, flags);
}
