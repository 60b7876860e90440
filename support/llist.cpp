#include "llist.h"

#include <cstdlib>

#include "ansi/memory.h"

namespace {

LListNode* NewNode(void* item) {
    LListNode* node = static_cast<LListNode*>(std::malloc(sizeof(LListNode)));
    if (node) {
        node->next = nullptr;
        node->prev = nullptr;
        node->item = item;
    }
    return node;
}

}  // namespace

void LList::Init() {
    count = 0;
    index = 0;
    head = tail = current = nullptr;
    top = 0;
}

bool LList::First() {
    current = head;
    index = 0;
    return count != 0;
}

bool LList::Last() {
    current = tail;
    index = count - 1;
    return count != 0;
}

bool LList::Next() {
    if (!current) return false;
    current = current->next;
    ++index;
    return current != nullptr;
}

bool LList::Prev() {
    if (!current) return false;
    current = current->prev;
    --index;
    return current != nullptr;
}

bool LList::PushCursor() {
    if (top >= CURSOR_STACK_SIZE) return false;
    saved[top].index = index;
    saved[top].node = current;
    ++top;
    return true;
}

bool LList::PopCursor() {
    if (top < 1 || top > CURSOR_STACK_SIZE) return false;
    --top;
    index = saved[top].index;
    current = saved[top].node;
    return true;
}

bool LList::LinkIntoEmpty(LListNode* node) {
    head = tail = current = node;
    index = 0;
    ++count;
    return true;
}

bool LList::InsertBefore(void* item) {
    // With the cursor off a non-empty list there is no place to insert.
    if (!current && count != 0) return false;
    LListNode* node = NewNode(item);
    if (!node) return false;
    if (!current) return LinkIntoEmpty(node);
    node->prev = current->prev;
    node->next = current;
    current->prev = node;
    if (node->prev)
        node->prev->next = node;
    else
        head = node;
    ++index;
    ++count;
    return true;
}

bool LList::InsertAfter(void* item) {
    if (!current && count != 0) return false;
    LListNode* node = NewNode(item);
    if (!node) return false;
    if (!current) return LinkIntoEmpty(node);
    node->prev = current;
    node->next = current->next;
    current->next = node;
    if (node->next) node->next->prev = node;
    if (tail == current) tail = node;
    current = node;
    ++index;
    ++count;
    return true;
}

bool LList::AddBack(void* item) {
    LListNode* node = NewNode(item);
    if (!node) return false;
    if (tail) {
        node->prev = tail;
        tail->next = node;
        tail = node;
        ++count;
        return true;
    }
    return LinkIntoEmpty(node);
}

void LList::ResetToEmpty() {
    count = 0;
    index = 0;
    head = tail = current = nullptr;
}

bool LList::Remove(int freeNode) {
    LListNode* node = current;
    if (!node) return false;
    if (node->next) {
        if (node->prev) {
            node->prev->next = node->next;
            node->next->prev = node->prev;
        } else {
            node->next->prev = nullptr;
            head = node->next;
        }
        current = node->next;
    } else if (node->prev) {
        node->prev->next = nullptr;
        tail = node->prev;
        current = node->prev;
        --index;
    } else {
        if (freeNode == 1) std::free(node);
        ResetToEmpty();
        return false;
    }
    if (freeNode == 1) std::free(node);
    --count;
    return true;
}

bool LList::RemoveItem(void* item) {
    for (bool more = First(); more; more = Next())
        if (Current() == item) return Remove(1);
    return false;
}

bool LList::FreeCurrentItem() {
    if (!current || !current->item) return false;
    xFree(current->item);
    current->item = nullptr;
    return true;
}

void LList::Clear() {
    LListNode* node = head;
    while (node) {
        LListNode* next = node->next;
        std::free(node);
        node = next;
    }
    ResetToEmpty();
}

void LList::ClearAndFreeItems() {
    for (LListNode* node = head; node; node = node->next)
        if (node->item) xFree(node->item);
    Clear();
}
