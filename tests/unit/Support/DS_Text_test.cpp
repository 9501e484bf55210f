#include "Support/DataStructures.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TaggedValue Str(const char* text) { return TaggedValue(text); }

// The values every round trip carries: an empty text, non-ASCII text, a huge real, a negative zero,
// and values carrying the nesting marks.
std::vector<TaggedValue> Samples()
{
    TaggedValue mapMark(3.0), listMark(4.0);
    mapMark.kind |= VALUE_MARK_MAP;
    listMark.kind |= VALUE_MARK_LIST;
    return {Str(""), Str("h\xC3\xA9llo \xE2\x9C\x93"), TaggedValue(1e300), TaggedValue(-0.0), mapMark, listMark};
}

void ExpectSame(const TaggedValue& a, const TaggedValue& b)
{
    EXPECT_EQ(a.kind, b.kind);
    if (a.IsString()) EXPECT_EQ(std::string(a.GetString()), std::string(b.GetString()));
    else EXPECT_EQ(memcmp(&a.val, &b.val, sizeof a.val), 0) << a.val << " " << b.val;
}

template <class T>
std::string Text(const T& s)
{
    TaggedValue out;
    DS_WriteString(s, &out);
    EXPECT_TRUE(out.IsString());
    return out.GetString();
}

// Every way a text can be damaged: each must be refused and leave the structure as it was.
template <class T>
void ExpectHostileRefused(T& target, const std::string& valid, const std::string& other)
{
    std::string before = Text(target);
    std::vector<std::string> corpus = {"", "0", "ZZ", "0G", valid + "0", valid.substr(0, valid.size() - 1),
                                       valid + "00", valid + "0000000000000000", other, "6500000000",
                                       std::string(valid.size(), 'F'), " " + valid.substr(1)};
    for (size_t cut = 2; cut < valid.size(); cut += 2) corpus.push_back(valid.substr(0, cut));
    // A count (or width) far larger than the text: 0xFFFFFFFF, then 0x7FFFFFFF.
    corpus.push_back(valid.substr(0, 8) + "FFFFFFFF" + valid.substr(16));
    corpus.push_back(valid.substr(0, 8) + "FFFFFF7F" + valid.substr(16));
    corpus.push_back(valid.substr(0, 8) + "FFFFFF7FFFFFFF7F");
    // A value of an unknown kind.
    std::string badKind = valid;
    size_t kindAt = valid.find("01000000", 16);
    if (kindAt != std::string::npos) badKind.replace(kindAt, 8, "07000000");
    corpus.push_back(badKind);
    // A string length beyond the end.
    std::string longString = valid;
    size_t lengthAt = kindAt == std::string::npos ? std::string::npos : kindAt + 8;
    if (lengthAt != std::string::npos) longString.replace(lengthAt, 8, "FFFFFF0F");
    corpus.push_back(longString);
    for (const std::string& text : corpus) {
        EXPECT_FALSE(DS_ReadString(target, text.c_str())) << text;
        EXPECT_EQ(Text(target), before) << text;
    }
    EXPECT_FALSE(DS_ReadString(target, nullptr));
}

}  // namespace

TEST(DataStructureText, SequencesRoundTripAndRefuseDamage)
{
    CDS_Stack stack;
    CDS_Queue queue;
    CDS_List list;
    for (const TaggedValue& v : Samples()) {
        stack.Push(v);
        queue.Enqueue(v);
        list.Add(v);
    }
    std::string s = Text(stack), q = Text(queue), l = Text(list);
    EXPECT_EQ(s.substr(0, 16), "6500000006000000");  // form 101, six values, upper-case hex
    EXPECT_EQ(s.find_first_of("abcdef"), std::string::npos);

    CDS_Stack s2;
    CDS_Queue q2;
    CDS_List l2;
    ASSERT_TRUE(DS_ReadString(s2, s.c_str()));
    ASSERT_TRUE(DS_ReadString(q2, q.c_str()));
    ASSERT_TRUE(DS_ReadString(l2, l.c_str()));
    ASSERT_EQ(s2.Size(), 6);
    ASSERT_EQ(q2.Size(), 6);
    ASSERT_EQ(l2.Size(), 6);
    for (int i = 0; i < 6; i++) {
        ExpectSame(s2.m_values[i], stack.m_values[i]);
        ExpectSame(q2.m_values[i], queue.m_values[i]);
        ExpectSame(l2.m_values[i], list.m_values[i]);
    }
    // Lower-case hex reads too.
    std::string lower = l;
    for (char& c : lower) c = (char)tolower(c);
    CDS_List l3;
    EXPECT_TRUE(DS_ReadString(l3, lower.c_str()));
    EXPECT_EQ(Text(l3), l);

    ExpectHostileRefused(s2, s, q);
    ExpectHostileRefused(q2, q, l);
    ExpectHostileRefused(l2, l, s);
    CDS_List empty;
    EXPECT_TRUE(DS_ReadString(l2, Text(empty).c_str()));
    EXPECT_EQ(l2.Size(), 0);

    // A string holding a zero byte ("a", 0, "c") was never written by a list: the text is refused
    // and the list keeps what it had.
    CDS_List cut;
    cut.Add(TaggedValue("kept"));
    EXPECT_FALSE(DS_ReadString(cut, "2D0100000100000001000000030000006100" "63"));
    ASSERT_EQ(cut.Size(), 1);
    EXPECT_STREQ(cut.Get(0)->GetString(), "kept");
}

TEST(DataStructureText, MapsAndPrioritiesRoundTripAndRefuseDamage)
{
    CDS_Map map;
    CDS_Priority priority;
    std::vector<TaggedValue> samples = Samples();
    for (size_t i = 0; i < samples.size(); i++) {
        map.Add(samples[i], samples[(i + 1) % samples.size()]);
        priority.Add(samples[i], (double)i);
    }
    ASSERT_EQ(map.Size(), 6);
    std::string m = Text(map), p = Text(priority);
    CDS_Map m2;
    CDS_Priority p2;
    ASSERT_TRUE(DS_ReadString(m2, m.c_str()));
    ASSERT_TRUE(DS_ReadString(p2, p.c_str()));
    EXPECT_EQ(Text(m2), m);
    EXPECT_EQ(Text(p2), p);
    auto it = m2.Entries().begin();
    for (const CDS_Map::Entry& e : map.Entries()) {
        ExpectSame(it->key, e.key);
        ExpectSame(it->value, e.value);
        ++it;
    }
    ExpectHostileRefused(m2, m, p);
    ExpectHostileRefused(p2, p, m);

    // A map text naming one key twice is refused.
    CDS_Map twice;
    twice.Add(Str("k"), 1.0);
    std::string one = Text(twice);
    std::string doubled = "9101000002000000" + one.substr(16) + one.substr(16);
    EXPECT_FALSE(DS_ReadString(twice, doubled.c_str()));
    EXPECT_EQ(twice.Size(), 1);
    // Keys apart under precision 0 that compare equal under the default read back whole.
    CDS_Map fine;
    DS_SetPrecision(0);
    EXPECT_TRUE(fine.Add(1e-8, 1.0));
    EXPECT_TRUE(fine.Add(2e-8, 2.0));
    std::string written = Text(fine);
    DS_SetPrecision(0.0000001);
    CDS_Map back;
    EXPECT_TRUE(DS_ReadString(back, written.c_str()));
    EXPECT_EQ(back.Size(), 2);
}

TEST(DataStructureText, GridsRoundTripAndRefuseDamage)
{
    CDS_Grid grid(3, 2);
    std::vector<TaggedValue> samples = Samples();
    for (int i = 0; i < 6; i++) grid.At(i % 3, i / 3) = samples[i];
    std::string g = Text(grid);
    EXPECT_EQ(g.substr(0, 24), "590200000300000002000000");
    CDS_Grid g2(1, 1);
    ASSERT_TRUE(DS_ReadString(g2, g.c_str()));
    ASSERT_EQ(g2.Width(), 3);
    ASSERT_EQ(g2.Height(), 2);
    for (int i = 0; i < 6; i++) ExpectSame(g2.At(i % 3, i / 3), grid.At(i % 3, i / 3));
    CDS_List other;
    ExpectHostileRefused(g2, g, Text(other));
    // Negative sizes, and a size within the text but above the grid limit.
    EXPECT_FALSE(DS_ReadString(g2, "59020000FFFFFFFF00000000"));
    EXPECT_FALSE(DS_ReadString(g2, "590200000000010001080000"));
    EXPECT_EQ(g2.Width(), 3);
    CDS_Grid empty(0, 7);
    CDS_Grid g3(2, 2);
    ASSERT_TRUE(DS_ReadString(g3, Text(empty).c_str()));
    EXPECT_EQ(g3.Width(), 0);
    EXPECT_EQ(g3.Height(), 7);
}
