#include "Base/MemoryManager.h"
#include "Platform/Array.h"
#include "Platform/Hash.h"
#include "Platform/SLinkedList.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>

namespace {

struct Counted {
    static int alive;
    int id;
    explicit Counted(int i) : id(i) { alive++; }
    ~Counted() { alive--; }
};
int Counted::alive = 0;

}  // namespace

TEST(Array, ClassArrayOwnsItsObjects)
{
    {
        cARRAY_CLASS<Counted> a;
        a.SetLength(4);
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(a[i], nullptr);  // new entries are cleared
            a[i] = new Counted(i);
        }
        a.SetLength(2);  // deletes 2 and 3
        EXPECT_EQ(Counted::alive, 2);
        a.SetLength(5);
        EXPECT_EQ(a[1]->id, 1);
        EXPECT_EQ(a[4], nullptr);
        a.SetLength(0);
        EXPECT_EQ(a.items, nullptr);
        EXPECT_EQ(Counted::alive, 0);
        a.SetLength(1);
        a[0] = new Counted(9);
    }
    EXPECT_EQ(Counted::alive, 0);  // the destructor deletes the rest
}

TEST(Array, StructureAndMemoryArrays)
{
    size_t live = MemoryManager_LiveBlocks();
    {
        cARRAY_STRUCTURE<std::pair<int, double>> s;
        s.SetLength(3);
        s[2] = {7, 1.5};
        s.SetLength(10);
        EXPECT_EQ(s[2].first, 7);
        EXPECT_EQ(s[9].second, 0.0);
        s.SetLength(-1);
        EXPECT_EQ(s.length, 0);
        EXPECT_EQ(s.items, nullptr);

        cARRAY_MEMORY<char> m;
        EXPECT_EQ(m.Add(MemStrDup("a")), 0);
        EXPECT_EQ(m.Add(MemStrDup("b")), 1);
        EXPECT_EQ(m.Add(MemStrDup("c")), 2);
        m.Free(1);
        EXPECT_EQ(m[1], nullptr);
        m.Free(7);  // outside: nothing
        EXPECT_STREQ(m[2], "c");
        m.SetLength(1);
        EXPECT_STREQ(m[0], "a");
        m.Add(MemStrDup("d"));
    }
    EXPECT_EQ(MemoryManager_LiveBlocks(), live);
}

TEST(Hash, AgreesWithAReferenceMap)
{
    Hash<int, std::string> hash;
    std::map<int, std::string> reference;
    std::mt19937 random(3);
    for (int step = 0; step < 5000; step++) {
        int key = (int)(random() % 500) - 250;
        switch (random() % 3) {
        case 0:
        case 1:
            hash.Insert(key, std::to_string(step));
            reference[key] = std::to_string(step);
            break;
        default:
            EXPECT_EQ(hash.Delete(key), reference.erase(key) == 1);
        }
    }
    ASSERT_EQ(hash.Count(), (int)reference.size());
    for (const auto& [key, value] : reference) {
        std::string* found = hash.Find(key);
        ASSERT_NE(found, nullptr) << key;
        EXPECT_EQ(*found, value);
    }
    int visited = 0;
    hash.ForEach([&](int key, const std::string& value) {
        EXPECT_EQ(reference[key], value);
        visited++;
    });
    EXPECT_EQ(visited, hash.Count());
    EXPECT_EQ(hash.Find(1000), nullptr);
    hash.Clear();
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.Find(reference.begin()->first), nullptr);
}

TEST(SLinkedList, RemovingKeepsHeadAndTail)
{
    int a = 1, b = 2, c = 3;
    SLinkedList<int> list;
    list.Add(&b);
    list.Add(&c);
    list.AddHead(&a);
    EXPECT_TRUE(list.Remove(&c));  // the tail moves back
    list.Add(&c);
    EXPECT_EQ(list.GetTail()->data, &c);
    EXPECT_TRUE(list.Remove(&a));
    EXPECT_EQ(list.GetHead()->data, &b);
    EXPECT_FALSE(list.Remove(&a));
    EXPECT_TRUE(list.Remove(&b));
    EXPECT_TRUE(list.Remove(&c));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetTail(), nullptr);
    list.Add(&a);  // usable again after emptying
    EXPECT_EQ(list.GetHead(), list.GetTail());
}
