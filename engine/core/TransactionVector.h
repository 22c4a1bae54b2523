#pragma once
// A vector whose additions and removals, made while its owner walks it, are
// queued and applied when the outermost walk ends. The owner raises and lowers
// m_nTransactionDepth around each walk and calls PurgeActions at depth 0.
#include <utility>

#include "engine/core/ZQVector.h"

namespace ZQ2 {

template <class T, class V = ZQVector<T>>
class TransactionVector {
public:
    explicit TransactionVector(bool unique) : m_bUnique(unique) {}
    ~TransactionVector() { m_Actions.clear(); }

    void push_back(const T& value) {
        if (m_nTransactionDepth >= 1)
            m_Actions.push_back(std::pair<bool, T>(true, value));
        else
            Add(value);
    }

    void remove(const T& value) {
        if (m_nTransactionDepth >= 1)
            m_Actions.push_back(std::pair<bool, T>(false, value));
        else
            Remove(value);
    }

    // With unique set, the element ends up once in the list, at the end.
    void Add(const T& value) {
        m_Items.push_back(value);
        if (!m_bUnique)
            return;
        T* last = m_Items.end() - 1;
        T* found = m_Items.Find(m_Items.begin(), last, value);
        if (found < last)
            m_Items.erase(found, found + 1);
    }

    void Remove(const T& value) { m_Items.remove(value); }

    void PurgeActions() {
        if (m_nTransactionDepth >= 1)
            return;
        // Applying an action may run code (a released task's destructor) that
        // queues more; take the queue first so nothing is lost or re-applied.
        while (m_Actions.size() > 0) {
            ZQVector<std::pair<bool, T>> actions(m_Actions);
            m_Actions.clear();
            for (auto& action : actions) {
                if (action.first)
                    Add(action.second);
                else
                    Remove(action.second);
            }
        }
    }

    void clear() {
        m_Items.clear();
        m_Actions.clear();
    }

    V m_Items;
    ZQVector<std::pair<bool, T>> m_Actions;
    int m_nTransactionDepth = 0;

private:
    bool m_bUnique;
};

}  // namespace ZQ2
