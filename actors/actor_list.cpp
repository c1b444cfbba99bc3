// Deferred release of actors removed while a walk may still be standing on them.
#include "actors/actor_list.h"

namespace detail {

int walk_depth = 0;
long next_actor_id = 0;

namespace {
std::vector<std::shared_ptr<void>>& removed()
{
    static std::vector<std::shared_ptr<void>> r;
    return r;
}
} // namespace

void release_later(std::shared_ptr<void> p)
{
    removed().push_back(std::move(p));
}

void release_removed()
{
    // Releasing may not remove more actors, but take the list first to be safe.
    std::vector<std::shared_ptr<void>> done;
    done.swap(removed());
}

} // namespace detail
