#include "views/HighlightChanges.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <random>

using namespace glanix;

namespace {

const QByteArray kHead = "<html><head><title>T</title></head>\n<body>\n";
const QByteArray kTail = "\n</body></html>\n";

QByteArray page(const QByteArray& body)
{
    return kHead + body + kTail;
}

QByteArray colour(int c = 0xF000F0)
{
    return colourOpening(c);
}

// The new text with every marker the highlighter writes taken out. Test texts hold no
// upper-case markup, so the markers cannot be confused with the page's own.
QByteArray withoutMarkers(QByteArray text, int highLightColor = 0xF000F0)
{
    for (const QByteArray& m : {colourOpening(highLightColor), QByteArray(kColourClosing), QByteArray(kStartIcon),
                                QByteArray(kEndIcon)})
        text.replace(m, "");
    return text;
}

// Readable text of n words, deterministic.
QByteArray words(int n, unsigned seed, const char* prefix = "w")
{
    std::mt19937 rng(seed);
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        out += prefix + QByteArray::number(static_cast<int>(rng() % 100000));
        out += (i % 12 == 11) ? "\n" : " ";
    }
    return out;
}

HighlightResult run(const QByteArray& oldText, const QByteArray& newText, CompareSettings s = {},
                    CompareControl control = {})
{
    return HighlightChanges(oldText, newText, s, control);
}

} // namespace

TEST(HighlightChanges, IdenticalAndInvisibleDifferencesAreNotMarked)
{
    const QByteArray text = page("<p>Le chat dort sur le canapé du salon depuis ce matin.</p>" + words(200, 1));
    const HighlightResult same = run(text, text);
    EXPECT_EQ(same.text, text);
    EXPECT_EQ(same.blocks, 0);
    EXPECT_EQ(same.percent, 0);

    // White space, markup and the last line end differ; the words do not.
    QByteArray reflowed = text;
    reflowed.replace(" ", "  \n ").replace("<p>", "<p class=\"x\">").replace("</p>", "</p><br>");
    reflowed.chop(1);
    const HighlightResult r = run(text, reflowed);
    EXPECT_EQ(r.blocks, 0);
    EXPECT_EQ(r.text, reflowed);
}

TEST(HighlightChanges, ShortChangeIsColouredUpToTheNextWord)
{
    const QByteArray before = words(100, 2), after = words(100, 3);
    const HighlightResult r = run(page(before + "le prix est de dix euros " + after),
                                  page(before + "le prix est de onze euros " + after));
    EXPECT_EQ(r.blocks, 1);
    EXPECT_TRUE(r.text.contains("le prix est de " + colour() + "onze </FONT>euros"));
    EXPECT_EQ(r.changed, 5);
    EXPECT_EQ(withoutMarkers(r.text), page(before + "le prix est de onze euros " + after));
}

TEST(HighlightChanges, LongInsertionIsFramedByWholeWordsLeavingMarkupOutside)
{
    const QByteArray before = words(60, 4), after = words(60, 5);
    const QByteArray inserted = "Un nouveau paragraphe annonce la fermeture du magasin pendant tout le mois "
                                "d'aout pour travaux.";
    const QByteArray newText = page(before + "<p>" + inserted + "</p>\n <p>" + after);
    const HighlightResult r = run(page(before + "<p>" + after), newText);
    EXPECT_EQ(r.blocks, 1);
    EXPECT_TRUE(r.text.contains(QByteArray(kStartIcon) + "Un nouveau") || r.text.contains(QByteArray(kStartIcon) + "<p>Un"))
        << r.text.toStdString();
    EXPECT_TRUE(r.text.contains("travaux." + QByteArray(kEndIcon) + "</p>\n <p>")) << r.text.toStdString();
    EXPECT_EQ(withoutMarkers(r.text), newText);

    // An insertion that starts inside a word is framed from the word's beginning.
    const QByteArray glued = page(before + "abc" + inserted + " " + after);
    const HighlightResult g = run(page(before + "abc " + after), glued);
    EXPECT_EQ(g.blocks, 1);
    const qsizetype frame = g.text.indexOf(kStartIcon);
    ASSERT_GE(frame, 0);
    EXPECT_TRUE(g.text.mid(frame).startsWith(QByteArray(kStartIcon) + "abcUn")) << g.text.mid(frame, 60).toStdString();
    EXPECT_EQ(withoutMarkers(g.text), glued);
}

TEST(HighlightChanges, ChangesNearTheEndAreFramedToTheEnd)
{
    const QByteArray body = words(80, 6);
    // New text before the closing tags, found nowhere in the old page.
    const QByteArray added = page(body + "Une phrase toute neuve a la fin de la page.");
    const HighlightResult r = run(page(body), added);
    EXPECT_EQ(r.blocks, 1);
    EXPECT_TRUE(r.text.endsWith("Une phrase toute neuve a la fin de la page." + kTail + kEndIcon));
    EXPECT_EQ(withoutMarkers(r.text), added);

    // A one-letter change among the last visible characters cannot be resynchronised.
    QByteArray tail = page(body);
    const qsizetype at = tail.lastIndexOf("w") + 1;
    tail[at] = tail[at] == '1' ? '2' : '1';
    const HighlightResult t = run(page(body), tail);
    EXPECT_EQ(t.blocks, 1);
    EXPECT_TRUE(t.text.endsWith(kTail + kEndIcon));
    EXPECT_EQ(withoutMarkers(t.text), tail);
}

TEST(HighlightChanges, DeletedAndMovedTextIsNotMarked)
{
    const QByteArray a = words(50, 7, "a"), b = words(50, 8, "b"), c = words(50, 9, "c");
    const HighlightResult deleted = run(page(a + b + c), page(a + c));
    EXPECT_EQ(deleted.blocks, 0);
    EXPECT_EQ(deleted.text, page(a + c));

    const QByteArray moved = "<p>" + c + "</p><p>" + a + "</p><p>" + b + "</p>";
    const HighlightResult m = run(page("<p>" + a + "</p><p>" + b + "</p><p>" + c + "</p>"), page(moved));
    EXPECT_EQ(m.blocks, 0) << m.text.toStdString();

    // A short unchanged tail after the moved text is not marked either.
    const QByteArray tail = "<table><tr><td>fin</td></tr></table>";
    const HighlightResult t = run(page("<p>" + a + "</p><p>" + b + "</p><p>" + c + "</p>" + tail),
                                  page(moved + tail));
    EXPECT_EQ(t.blocks, 0) << t.text.toStdString();

    // Also when the old page ends in a tag, with nothing after it.
    const QByteArray oldEndsInTag = "<body><p>" + a + "</p><p>" + b + "</p><p>" + c + "</p></body>";
    const HighlightResult e = run(oldEndsInTag, "<body>" + moved + "</body>");
    EXPECT_EQ(e.blocks, 0) << e.text.toStdString();
}

TEST(HighlightChanges, EntitiesNeedALongerRun)
{
    // With 10 significant characters to match, "&eacute;x" (9 of them) plus one more is
    // not enough once the "&" has asked for six more.
    CompareSettings s;
    s.NbCharToCompare = 10;
    const QByteArray rest = "&eacute;xyz";
    const HighlightResult r = run("<body>abc " + rest + " 0123456789</body>", "<body>XYZ " + rest + "</body>", s);
    EXPECT_EQ(r.blocks, 1);
    EXPECT_TRUE(r.text.contains(kStartIcon) || r.text.contains(colour())) << r.text.toStdString();
    EXPECT_TRUE(r.text.contains("XYZ " + rest));
    // Six more characters in common and the run is found: only XYZ is marked.
    const HighlightResult longer
        = run("<body>abc " + rest + " 0123456789</body>", "<body>XYZ " + rest + " 0123456789</body>", s);
    EXPECT_TRUE(longer.text.contains(colour() + "XYZ </FONT>&eacute;")) << longer.text.toStdString();
}

TEST(HighlightChanges, HeadAndBodyStarts)
{
    // Without "/HEAD>" in the new text the comparison starts at its first byte.
    const HighlightResult r = run("<p>ancien texte qui reste le meme partout dans les deux</p>",
                                  "<p>nouveau texte qui reste le meme partout dans les deux</p>");
    EXPECT_TRUE(r.text.startsWith("<p>" + colour() + "nouveau </FONT>texte")) << r.text.toStdString();
    // A head that differs is copied as it is, never marked.
    const HighlightResult h = run(page("corps identique du document"),
                                  "<html><head><title>Autre titre</title></HEAD>\n<body>\ncorps identique du document"
                                      + kTail);
    EXPECT_EQ(h.blocks, 0);
}

TEST(HighlightChanges, ColourAndPercentage)
{
    EXPECT_EQ(colourOpening(255), "<FONT COLOR=\"#FF0000\">");
    EXPECT_EQ(colourOpening(0xF000F0), "<FONT COLOR=\"#F000F0\">");
    EXPECT_EQ(colourOpening(0x123456), "<FONT COLOR=\"#563412\">");

    // Everything new: all changed. Percentages: q = changed*100/(same+changed), odd q + 1.
    const HighlightResult all = run(page(words(40, 10, "x")), page(words(40, 11, "y")));
    EXPECT_GE(all.blocks, 1);
    const qint64 q = all.changed * 100 / (all.same + all.changed);
    EXPECT_EQ(all.percent, q % 2 ? q + 1 : q);
    EXPECT_GT(all.percent, 50);
}

TEST(HighlightChanges, TimeLimitAndUserAbort)
{
    // A fake clock that moves two seconds per reading: each try is followed by a poll.
    const QByteArray oldText = page(words(3000, 12, "a")), newText = page(words(3000, 13, "b"));
    qint64 t = 0;
    int polls = 0;
    CompareControl slowClock;
    slowClock.elapsedMs = [&] { return t += 2000; };
    slowClock.poll = [&] {
        ++polls;
        return UserRequest::None;
    };
    CompareSettings s;
    s.MaxComparePeriod = 10;
    const HighlightResult timedOut = run(oldText, newText, s, slowClock);
    EXPECT_TRUE(timedOut.aborted);
    EXPECT_EQ(timedOut.percent, 0);
    EXPECT_TRUE(timedOut.text.contains(QByteArray(kEndIcon) + kEndIcon + kEndIcon));
    EXPECT_EQ(withoutMarkers(timedOut.text), newText);
    EXPECT_LE(polls, 4);

    // Ctrl held: past the limit it goes on to the end.
    CompareControl ctrl = slowClock;
    ctrl.poll = [] { return UserRequest::KeepGoing; };
    EXPECT_FALSE(run(oldText, newText, s, ctrl).aborted);

    // No limit: only the user stops it.
    s.MaxComparePeriod = 0;
    EXPECT_FALSE(run(oldText, newText, s, slowClock).aborted);
    int asked = 0;
    CompareControl escape = slowClock;
    escape.poll = [&] { return ++asked == 3 ? UserRequest::Abort : UserRequest::None; };
    const HighlightResult stopped = run(oldText, newText, s, escape);
    EXPECT_TRUE(stopped.aborted);
    EXPECT_EQ(asked, 3);
}

TEST(HighlightChanges, ScriptsAndCommentsAreCopiedWhole)
{
    const QByteArray body = words(40, 14);
    const QByteArray script = "<script>if (a < b && c > d) { x = \"mot change\"; }</SCRIPT>";
    const HighlightResult r = run(page(body + "<script>if (a < b) {}</script>" + body),
                                  page(body + script + "<!-- commentaire > modifie -->" + body));
    EXPECT_EQ(r.blocks, 0) << r.text.toStdString();
}

// Whatever the texts, taking the markers out gives back the new text, and the index that
// speeds up the search changes nothing in the result.
TEST(HighlightChanges, PropertyOutputIsTheNewTextAndIndexIsExact)
{
    std::mt19937 rng(42);
    // Every fourth round on two letters only: long chains of overlapping partial matches.
    const char wide[] = "abcde &;<>/!-\n\t\r";
    const char narrow[] = "abab a";
    const char* alphabet = wide;
    size_t alphabetSize = sizeof(wide) - 1;
    bool periodic = false;
    const std::vector<QByteArray> pieces = {"<b>", "</b>", "<!-- x -->", "<script>s</script>", "&eacute;", "/head>",
                                            "  ", "<p>", "mot ", "autre ", QByteArray("\0", 1)};
    auto randomText = [&](int length) {
        QByteArray t;
        while (t.size() < length) {
            if (!periodic && rng() % 4 == 0)
                t += pieces[rng() % pieces.size()];
            else
                t += alphabet[rng() % alphabetSize];
        }
        return t;
    };
    auto mutate = [&](QByteArray t) {
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !t.isEmpty(); ++e) {
            const auto at = static_cast<qsizetype>(rng() % t.size());
            switch (rng() % 4) {
            case 0: t.insert(at, randomText(1 + static_cast<int>(rng() % 40))); break;
            case 1: t.remove(at, 1 + static_cast<qsizetype>(rng() % 30)); break;
            case 2: t[at] = alphabet[rng() % 5]; break;
            default: { // move a piece to the front
                const QByteArray piece = t.mid(at, 1 + static_cast<qsizetype>(rng() % 60));
                t.remove(at, piece.size());
                t.prepend(piece);
            }
            }
        }
        return t;
    };
    for (int round = 0; round < 600; ++round) {
        periodic = round % 4 == 3;
        alphabet = periodic ? narrow : wide;
        alphabetSize = periodic ? sizeof(narrow) - 1 : sizeof(wide) - 1;
        const QByteArray oldText = randomText(50 + static_cast<int>(rng() % (periodic ? 3000 : 600)));
        const QByteArray newText = round % 5 == 0 ? randomText(300) : mutate(oldText);
        CompareSettings s;
        s.NbCharToCompare = 1 + static_cast<int>(rng() % (periodic ? 40 : 12));
        s.NbMiniCharDifferent = static_cast<int>(rng() % 20);
        CompareControl plain, indexed;
        plain.indexPolicy = 0;
        indexed.indexPolicy = -1;
        const HighlightResult a = run(oldText, newText, s, plain);
        const HighlightResult b = run(oldText, newText, s, indexed);
        ASSERT_FALSE(a.aborted);
        ASSERT_EQ(withoutMarkers(a.text), newText) << "round " << round;
        ASSERT_EQ(a.text, b.text) << "round " << round;
        ASSERT_EQ(a.blocks, b.blocks);
        ASSERT_EQ(a.same, b.same);
        ASSERT_GE(a.percent, 0);
        ASSERT_LE(a.percent, 100);
    }
}

// "a a a ... a b" against "X a a a a a a a a a b": every partial match of the run "aaaaaaaaab"
// overlaps the next, too deep to follow, so the index hands over to the walk.
TEST(HighlightChanges, LongChainsOfPartialMatchesGiveTheWalksAnswer)
{
    QByteArray oldBody;
    for (int i = 0; i < 3000; ++i)
        oldBody += "a ";
    const QByteArray oldText = page(oldBody + "b et la suite du texte");
    const QByteArray newText = page("X a a a a a a a a a b et la suite du texte");
    CompareSettings s;
    s.NbCharToCompare = 10;
    for (const int shift : {0, 1, 2}) {
        CompareControl plain, indexed;
        plain.indexPolicy = 0;
        indexed.indexPolicy = -1;
        const QByteArray shifted = page(QByteArray(shift * 2, ' ') + oldBody.left(oldBody.size() - shift * 2)
                                        + "b et la suite du texte");
        const HighlightResult a = run(shift ? shifted : oldText, newText, s, plain);
        const HighlightResult b = run(shift ? shifted : oldText, newText, s, indexed);
        EXPECT_EQ(a.text, b.text) << shift;
        EXPECT_EQ(withoutMarkers(a.text), newText);
    }
}
