#pragma once

#include <QByteArray>
#include <QList>

#include <random>

// Deterministic pages that look like the ones Glanix keeps: a head, a menu of links,
// paragraphs of words wrapped at about 80 columns with links, images and bold text, a table
// and a script. Words are made of syllables so that the text has the repetitions of a real
// language (which is what makes resynchronisation hard).
namespace glanix::bench {

class PageGenerator {
public:
    explicit PageGenerator(unsigned seed)
        : m_rng(seed)
    {
        static const char* const syllables[] = {"la", "le", "de", "re", "ment", "tion", "con", "par", "pre", "cha",
                                                "ou", "in", "que", "tre", "ser", "vi", "ta", "po", "mi", "ble",
                                                "eau", "son", "te", "ra", "lu", "ne", "gi", "é", "ai", "st"};
        for (int i = 0; i < 3000; ++i) {
            QByteArray w;
            const int n = 1 + static_cast<int>(m_rng() % 3);
            for (int k = 0; k < n; ++k)
                w += syllables[m_rng() % (sizeof(syllables) / sizeof(*syllables))];
            m_words.append(w);
        }
    }

    QByteArray word()
    {
        // Zipf-like: short common words come back often.
        const auto r = static_cast<double>(m_rng() % 1000000) / 1000000.0;
        return m_words[static_cast<qsizetype>(r * r * r * static_cast<double>(m_words.size()))];
    }

    // One paragraph, as a list of lines.
    QByteArray paragraph()
    {
        QByteArray p = "<p class=\"texte\">";
        int column = static_cast<int>(p.size());
        const int count = 30 + static_cast<int>(m_rng() % 90);
        for (int i = 0; i < count; ++i) {
            QByteArray token = word();
            switch (m_rng() % 40) {
            case 0:
                token = "<a href=\"/rubrique/page" + QByteArray::number(static_cast<int>(m_rng() % 5000)) + ".htm\">"
                    + token + "</a>";
                break;
            case 1:
                token = "<b>" + token + "</b>";
                break;
            case 2:
                token = "<img src=\"images/photo" + QByteArray::number(static_cast<int>(m_rng() % 300))
                    + ".jpg\" alt=\"" + word() + "\"> " + token;
                break;
            default:
                break;
            }
            if (column + token.size() > 80) {
                p += '\n';
                column = 0;
            } else if (i > 0) {
                p += ' ';
                ++column;
            }
            p += token;
            column += static_cast<int>(token.size());
            if (m_rng() % 12 == 0)
                p += m_rng() % 2 ? "," : ".";
        }
        return p + ".</p>\n";
    }

    // A page of at least `size` bytes; its paragraphs are returned in `paragraphs` too.
    QByteArray page(qsizetype size, QList<QByteArray>* paragraphs = nullptr)
    {
        QByteArray head = "<html>\n<head>\n<title>Les nouvelles de " + word() + " " + word()
            + "</title>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
              "<link rel=\"stylesheet\" href=\"/styles/site.css\">\n</head>\n<body bgcolor=\"#ffffff\">\n"
              "<div class=\"menu\">";
        for (int i = 0; i < 12; ++i)
            head += "<a href=\"/menu/m" + QByteArray::number(i) + ".htm\">" + word() + "</a> | ";
        head += "</div>\n";
        const QByteArray tail = "<table><tr><td>" + word() + "</td><td>" + word()
            + "</td></tr></table>\n<script language=\"javascript\">var a = 1; if (a < 2) { a = 3; }</script>\n"
              "</body>\n</html>\n";
        QList<QByteArray> body;
        qsizetype total = head.size() + tail.size();
        while (total < size) {
            body.append(paragraph());
            total += body.last().size();
        }
        if (paragraphs)
            *paragraphs = body;
        return head + body.join() + tail;
    }

    // The page with `fraction` of its visible words replaced by others.
    QByteArray changeWords(const QByteArray& page, double fraction)
    {
        QByteArray out;
        out.reserve(page.size() + page.size() / 10);
        const qsizetype bodyAt = page.indexOf("</div>");
        out += page.left(bodyAt);
        bool inTag = false;
        qsizetype i = bodyAt;
        std::uniform_real_distribution<double> coin(0.0, 1.0);
        while (i < page.size()) {
            const char c = page[i];
            if (c == '<')
                inTag = true;
            if (inTag || !isWordChar(c)) {
                if (c == '>')
                    inTag = false;
                out += c;
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < page.size() && isWordChar(page[end]))
                ++end;
            if (coin(m_rng) < fraction)
                out += word() + "x";
            else
                out += page.mid(i, end - i);
            i = end;
        }
        return out;
    }

private:
    static bool isWordChar(char c) { return c != ' ' && c != '\n' && c != '<' && c != '>' && c != ',' && c != '.'; }

    std::mt19937 m_rng;
    QList<QByteArray> m_words;
};

} // namespace glanix::bench
