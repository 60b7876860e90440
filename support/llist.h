// LList: the program's one container, a doubly linked list of untyped item pointers
// with a built-in cursor and a 16-deep stack of saved cursors for nested walks.
//
// Nodes come from the plain heap, not the tracked allocator, so a failed insert is an
// ordinary false result rather than a fatal stop.
#pragma once

#include <cstdint>

struct LListNode {
    LListNode* next;
    LListNode* prev;
    void* item;
};

class LList {
public:
    enum { CURSOR_STACK_SIZE = 16 };

    LList() { Init(); }
    ~LList() { Clear(); }
    LList(const LList&) = delete;
    LList& operator=(const LList&) = delete;

    void Init();
    bool First();
    bool Last();
    bool Next();
    bool Prev();
    bool IsValid() const { return current != nullptr; }
    void* Current() const { return current ? current->item : nullptr; }
    int32_t Count() const { return count; }
    int32_t Index() const { return index; }

    bool PushCursor();
    bool PopCursor();

    bool InsertBefore(void* item);
    bool InsertAfter(void* item);
    bool AddBack(void* item);
    bool Remove(int freeNode = 1);
    bool RemoveItem(void* item);
    bool FreeCurrentItem();
    void Clear();
    void ClearAndFreeItems();

private:
    struct SavedCursor {
        int32_t index;
        LListNode* node;
    };

    bool LinkIntoEmpty(LListNode* node);
    void ResetToEmpty();

    int32_t count;
    int32_t index;
    LListNode* head;
    LListNode* tail;
    LListNode* current;
    SavedCursor saved[CURSOR_STACK_SIZE];
    int32_t top;
};
