#pragma once

#include <QString>
#include <QStringList>
#include <random>

// Titles of one to four words, Russian and Latin, some with a year: what a catalog's lists hold.
inline QString benchTitle(std::mt19937& rng) {
    using namespace Qt::StringLiterals;
    static const QStringList russian =
        u"Новости новый Новогодний Москва Первый канал музыка радио фильм Любовь "
        u"война мир Ёлки ёжик сказка Комедия рок Хиты Шансон Ретро Спорт Звезда "
        u"Ностальгия Эхо Маяк Вести Мультфильмы кино Поезд Весна ОСЕНЬ Новосибирск"_s.split(u' ');
    static const QStringList latin =
        u"Rock Radio FM News Love City Star Dance Jazz Classic Hits Retro Record Europa "
        u"Plus Energy Relax Gold Metal Pop Lounge Night Film Rocket ROCK Nova Live Disco"_s.split(u' ');
    const QStringList& words = rng() % 10 < 3 ? latin : russian;
    QStringList picked;
    for (int n = 1 + int(rng() % 4); n > 0; --n)
        picked << words[int(rng() % words.size())];
    QString text = picked.join(u' ');
    if (rng() % 10 < 4)
        text += u" (%1)"_s.arg(1950 + rng() % 74);
    return text;
}
