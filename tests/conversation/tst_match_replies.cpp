#include "conversation/match_replies.h"
#include "conversation/reply_rule_table.h"

#include <QTest>

#include <set>

using namespace quobel;

namespace {

std::u16string Utf16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

// Entry numbers as the table counts them, from 1.
QList<int> Numbers(const std::vector<const ReplyRule*>& rules) {
    const auto table = ReplyRuleTable();
    QList<int> numbers;
    for (const ReplyRule* rule : rules)
        numbers << static_cast<int>(rule - table.data()) + 1;
    return numbers;
}

QList<int> Matches(const std::u16string& text) {
    return Numbers(MatchReplies(text));
}

const QList<int> kAllKeywordRules{1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15};

} // namespace

class MatchRepliesTest : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void tableShape();
    void allKeywordCharacters();
    void astralCharactersAndLoneSurrogates();
    void veryLongText();
    void keywordsAtTheVeryEndOfALongText();
};

void MatchRepliesTest::matches_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("entries");

    QTest::newRow("empty") << QString() << QList<int>{9};
    QTest::newRow("initial box text") << QStringLiteral("Text1") << QList<int>{10};
    QTest::newRow("lower-case text1") << QStringLiteral("text1") << QList<int>{};
    QTest::newRow("upper-case TEXT1") << QStringLiteral("TEXT1") << QList<int>{};
    QTest::newRow("Text1 with a trailing space") << QStringLiteral("Text1 ") << QList<int>{};
    QTest::newRow("Text1 twice") << QStringLiteral("Text1Text1") << QList<int>{};
    QTest::newRow("one space") << QStringLiteral(" ") << QList<int>{};
    QTest::newRow("a NUL code unit") << QString(QChar(0)) << QList<int>{};
    QTest::newRow("你好臭屁") << QStringLiteral("你好臭屁") << QList<int>{1, 4};
    QTest::newRow("reversed 屁臭你") << QStringLiteral("屁臭你") << QList<int>{1};
    QTest::newRow("table order, not sentence order")
        << QStringLiteral("你是谁啊，你好") << QList<int>{4, 13};
    QTest::newRow("妈的B") << QStringLiteral("妈的B") << QList<int>{7, 8};
    QTest::newRow("lower-case b") << QStringLiteral("妈的b") << QList<int>{7};
    QTest::newRow("full-width Ｂ") << QStringLiteral("妈的Ｂ") << QList<int>{7};
    QTest::newRow("医生的话 without 妈") << QStringLiteral("医生的话") << QList<int>{3};
    QTest::newRow("今天天气怎么样") << QStringLiteral("今天天气怎么样") << QList<int>{6};
    QTest::newRow("阿柘人怎么样") << QStringLiteral("阿柘人怎么样？") << QList<int>{2};
    QTest::newRow("one keyword short") << QStringLiteral("阿柘人怎么") << QList<int>{};
    QTest::newRow("讨厌你") << QStringLiteral("讨厌你") << QList<int>{12};
    QTest::newRow("你讨厌") << QStringLiteral("你讨厌") << QList<int>{12};
    QTest::newRow("日期") << QStringLiteral("今天日期") << QList<int>{5};
    QTest::newRow("我失恋了") << QStringLiteral("我失恋了") << QList<int>{11};
    QTest::newRow("设置") << QStringLiteral("设置") << QList<int>{14};
    QTest::newRow("capture") << QStringLiteral("截图") << QList<int>{15};
    QTest::newRow("greeting then capture") << QStringLiteral("你好，截图") << QList<int>{4, 15};
    QTest::newRow("repeated characters count once")
        << QStringLiteral("你你你好好好") << QList<int>{4};
    QTest::newRow("nothing") << QStringLiteral("hello world") << QList<int>{};
    QTest::newRow("traditional 設置 differs") << QStringLiteral("設置") << QList<int>{};
}

void MatchRepliesTest::matches() {
    QFETCH(QString, text);
    QFETCH(QList<int>, entries);
    QCOMPARE(Matches(Utf16(text)), entries);
}

void MatchRepliesTest::tableShape() {
    const auto table = ReplyRuleTable();
    QCOMPARE(table.size(), std::size_t{15});
    std::size_t keywordCount = 0;
    std::set<char16_t> distinct;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ReplyRule& rule = table[i];
        keywordCount += rule.Keywords.size();
        distinct.insert(rule.Keywords.begin(), rule.Keywords.end());
        QCOMPARE(rule.StartsCapture, i == 14);
        QCOMPARE(rule.IsWholeTextCheck(), i == 8 || i == 9);
        if (!rule.IsWholeTextCheck()) {
            QVERIFY(rule.Keywords.size() >= 2 && rule.Keywords.size() <= 6);
        }
    }
    QCOMPARE(keywordCount, std::size_t{37});
    QCOMPARE(distinct.size(), std::size_t{32});
    QVERIFY(distinct.count(u'B'));
}

void MatchRepliesTest::allKeywordCharacters() {
    std::u16string all;
    for (const ReplyRule& rule : ReplyRuleTable())
        all += rule.Keywords;
    QCOMPARE(Matches(all), kAllKeywordRules);
    // Reversed and repeated changes nothing.
    std::u16string reversed(all.rbegin(), all.rend());
    QCOMPARE(Matches(reversed + reversed), kAllKeywordRules);
}

void MatchRepliesTest::astralCharactersAndLoneSurrogates() {
    // 𠀀 is U+20000, a surrogate pair; the pair must not be read as anything
    // but two code units that are no keyword.
    QCOMPARE(Matches(Utf16(QStringLiteral("𠀀你好𠀀"))), (QList<int>{4}));
    const std::u16string loneHigh{u'\xD83D', u'你', u'好'};
    QCOMPARE(Matches(loneHigh), (QList<int>{4}));
    const std::u16string loneLow{u'截', u'\xDE00', u'图'};
    QCOMPARE(Matches(loneLow), (QList<int>{15}));
    QCOMPARE(Matches(std::u16string{u'\xFFFF'}), QList<int>{});
}

void MatchRepliesTest::veryLongText() {
    std::u16string text(4 * 1024 * 1024, u'x');
    QCOMPARE(Matches(text), QList<int>{});
    text[1234567] = u'设';
    text[3 * 1024 * 1024 + 1] = u'置';
    QCOMPARE(Matches(text), (QList<int>{14}));
}

void MatchRepliesTest::keywordsAtTheVeryEndOfALongText() {
    // The scan works in blocks; characters in the last, partial block and
    // right at a block boundary must be seen.
    std::u16string text(8193, u'.');
    text[4095] = u'的';
    text.back() = u'妈';
    QCOMPARE(Matches(text), (QList<int>{7}));
    text.back() = u'B';
    QCOMPARE(Matches(text), QList<int>{});
}

QTEST_APPLESS_MAIN(MatchRepliesTest)
#include "tst_match_replies.moc"
