// A list of actors that tolerates any removal, even of the whole list, while it is being walked.
#pragma once

#include <memory>
#include <vector>

namespace detail {
// Walks in progress over any list; removed actors are released only when none is left.
extern int walk_depth;
// Every actor gets the next number when it joins a list; never reused in a run.
extern long next_actor_id;
void release_later(std::shared_ptr<void> p);
void release_removed();
} // namespace detail

template <typename T> class actor_list {
    struct node {
        std::unique_ptr<T> obj; // null once removed
        long id = 0;
        node* next = nullptr;
        node* prev = nullptr;
    };

public:
    actor_list() { head_.next = head_.prev = &head_; }
    actor_list(const actor_list&) = delete;
    actor_list& operator=(const actor_list&) = delete;
    ~actor_list()
    {
        for (node* n = head_.next; n != &head_;) {
            node* next = n->next;
            delete n;
            n = next;
        }
    }

    T* append(std::unique_ptr<T> obj) { return link(std::move(obj), head_.prev); }
    T* insert_front(std::unique_ptr<T> obj) { return link(std::move(obj), &head_); }

    // Takes out the first element that is this very object; does nothing if it is not here.
    void remove(const T* obj)
    {
        for (node* n = head_.next; n != &head_; n = n->next)
            if (n->obj.get() == obj) {
                unlink(n);
                return;
            }
    }

    void clear()
    {
        while (head_.next != &head_) unlink(head_.next);
    }

    // Calls fn on each actor in order; fn may remove any actor or empty the list meanwhile.
    template <typename F> void walk(F&& fn)
    {
        ++detail::walk_depth;
        node* n = head_.next;
        while (n != &head_) {
            node* here = n;
            n = n->next; // step on before the call, so `here` may go
            if (here->obj) fn(*here->obj);
        }
        if (--detail::walk_depth == 0) detail::release_removed();
    }

    // Visits each actor with its id, for dumps and tests that only read.
    template <typename F> void each(F&& fn) const
    {
        for (const node* n = head_.next; n != &head_; n = n->next)
            if (n->obj) fn(static_cast<const T&>(*n->obj), n->id);
    }
    T* front() { return head_.next != &head_ ? head_.next->obj.get() : nullptr; }
    T* back() { return head_.prev != &head_ ? head_.prev->obj.get() : nullptr; }

    int size() const
    {
        int k = 0;
        for (const node* n = head_.next; n != &head_; n = n->next) ++k;
        return k;
    }
    bool empty() const { return head_.next == &head_; }

private:
    T* link(std::unique_ptr<T> obj, node* after)
    {
        node* n = new node;
        n->obj = std::move(obj);
        n->id = ++detail::next_actor_id;
        n->prev = after;
        n->next = after->next;
        after->next->prev = n;
        after->next = n;
        return n->obj.get();
    }

    // A removed node keeps its link onward, so a walk standing on it can carry on.
    void unlink(node* n)
    {
        n->prev->next = n->next;
        n->next->prev = n->prev;
        std::shared_ptr<node> hold(n);
        std::shared_ptr<T> obj(n->obj.release());
        if (detail::walk_depth == 0) return; // nothing is using them: both go now
        detail::release_later(std::move(hold));
        detail::release_later(std::move(obj));
    }

    node head_;
};
