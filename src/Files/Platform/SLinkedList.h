// A singly linked list of pointers it does not own, with head, tail and count.
#pragma once

template <typename T>
class SLinkedList {
public:
    struct Node {
        Node* next;
        T* data;
    };

    SLinkedList() = default;
    ~SLinkedList() { Clear(); }
    SLinkedList(const SLinkedList&) = delete;
    SLinkedList& operator=(const SLinkedList&) = delete;

    void Add(T* data)
    {
        Node* node = new Node{nullptr, data};
        if (m_tail) m_tail->next = node; else m_head = node;
        m_tail = node;
        m_count++;
    }
    void AddHead(T* data)
    {
        m_head = new Node{m_head, data};
        if (!m_tail) m_tail = m_head;
        m_count++;
    }
    // Removes the first node holding `data`; false when there is none.
    bool Remove(T* data)
    {
        Node* previous = nullptr;
        for (Node* n = m_head; n; previous = n, n = n->next) {
            if (n->data != data) continue;
            if (previous) previous->next = n->next; else m_head = n->next;
            if (m_tail == n) m_tail = previous;
            delete n;
            m_count--;
            return true;
        }
        return false;
    }
    bool Contains(const T* data) const
    {
        for (Node* n = m_head; n; n = n->next)
            if (n->data == data) return true;
        return false;
    }
    void Clear()
    {
        while (m_head) {
            Node* next = m_head->next;
            delete m_head;
            m_head = next;
        }
        m_tail = nullptr;
        m_count = 0;
    }
    Node* GetHead() const { return m_head; }
    Node* GetTail() const { return m_tail; }
    int Count() const { return m_count; }

private:
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};
