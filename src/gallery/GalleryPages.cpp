#include "gallery/GalleryPages.h"

#include "banlists/Banlists.h"
#include "base/HtmlText.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "gallery/EntryQuery.h"

#include <QCryptographicHash>
#include <QMap>

namespace vh::gallery::GalleryPages {

namespace {

using database::ScreenshotEntry;

// most entries of one GUID listed on an entry page; the rest are one link to the filtered list away
constexpr int MaxSameGuidListed = 200;

const char Style[] = R"(body{font-family:sans-serif;margin:1em;background:#fafafa;color:#111}
table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}
.banned{color:#b00000;font-weight:bold}.clean{color:#007000}.marked{background:#f4d0d0}
nav a{margin-right:1em}form label{margin-right:.8em}img.thumb{width:160px;height:auto}
#picture{max-width:100%;image-rendering:pixelated}.mono{font-family:monospace;word-break:break-all})";

// The window's gamma slider in the browser: slider position to gamma, the gamma table with the bitmap
// class's rounding (ties to even), applied to the picture's pixels; at the first position 10 the file is
// shown untouched.
const char GammaScript[] = R"((function () {
  'use strict';
  var picture = document.getElementById('picture');
  var slider = document.getElementById('gamma');
  var shown = document.getElementById('gamma-value');
  if (!picture || !slider) return;
  var source = new Image();
  var pixels = null;
  function gammaOf(value) {
    var setting = (20 - value) * 10;
    if (setting < 100) return 1 / (5 - setting / 25);
    if (setting > 100) return (setting - 100) / 25 + 1;
    return 1.0;
  }
  function table(gamma) {
    var t = new Uint8Array(256);
    for (var i = 0; i < 256; i++) {
      var v = Math.pow(i / 255, 1 / gamma) * 255 + 0.5;
      var r = Math.floor(v);
      var f = v - r;
      if (f > 0.5 || (f === 0.5 && r % 2 === 1)) r += 1;
      t[i] = r > 255 ? 255 : r;
    }
    return t;
  }
  function apply() {
    var value = Number(slider.value);
    shown.textContent = String(value);
    if (!pixels) return;
    var t = table(gammaOf(value));
    var canvas = document.createElement('canvas');
    canvas.width = pixels.width;
    canvas.height = pixels.height;
    var context = canvas.getContext('2d');
    var out = context.createImageData(pixels.width, pixels.height);
    var s = pixels.data, d = out.data;
    for (var i = 0; i < s.length; i += 4) {
      d[i] = t[s[i]]; d[i + 1] = t[s[i + 1]]; d[i + 2] = t[s[i + 2]]; d[i + 3] = s[i + 3];
    }
    context.putImageData(out, 0, 0);
    picture.src = canvas.toDataURL('image/png');
  }
  source.onerror = function () {
    var note = document.createElement('span');
    note.className = 'missing';
    note.textContent = 'picture missing';
    picture.replaceWith(note);
  };
  source.onload = function () {
    var canvas = document.createElement('canvas');
    canvas.width = source.naturalWidth;
    canvas.height = source.naturalHeight;
    var context = canvas.getContext('2d', {willReadFrequently: true});
    context.drawImage(source, 0, 0);
    pixels = context.getImageData(0, 0, canvas.width, canvas.height);
    if (Number(slider.value) !== 10) apply();
  };
  source.src = picture.getAttribute('src');
  slider.addEventListener('input', apply);
})();)";

// A thumbnail or picture the vault cannot deliver says so instead of showing a broken image.
const char MissingPictureScript[] = R"((function () {
  'use strict';
  function missing(img) {
    var note = document.createElement('span');
    note.className = 'missing';
    note.textContent = 'picture missing';
    img.replaceWith(note);
  }
  document.querySelectorAll('img.thumb').forEach(function (img) {
    if (img.complete && img.naturalWidth === 0) missing(img);
    else img.addEventListener('error', function () { missing(img); });
  });
})();)";

// database text is single-byte; the pages are UTF-8
QByteArray esc(const QByteArray& latin1)
{
    return base::htmlEscape(latin1, base::HtmlBytes::Latin1ToUtf8);
}

QByteArray num(qint64 n)
{
    return QByteArray::number(n);
}

QByteArray head(const QByteArray& title, const QByteArray& nonce)
{
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + title +
           " - Varnholt gallery</title><style nonce=\"" + nonce + "\">" + Style + "</style></head><body>\n";
}

QByteArray banCells(const banlists::Banlists& bans, const QByteArray& guid)
{
    const banlists::BanStatus status = bans.ShowBanStatus(guid);
    const auto cell = [](const QString& text, base::Colour colour) {
        const bool banned = colour == banlists::Banlists::BannedColour;
        return QByteArray("<td class=\"") + (banned ? "banned" : "clean") + "\">" + esc(text.toLatin1()) + "</td>";
    };
    return cell(status.aasaText, status.aasaColour) + cell(status.aciText, status.aciColour);
}

QByteArray checkbox(const char* name, const char* caption, bool on)
{
    return QByteArray("<label><input type=\"checkbox\" name=\"") + name + "\" value=\"1\"" + (on ? " checked" : "") +
           "> " + caption + "</label>";
}

QByteArray textInput(const char* name, const char* caption, const char* type, const QByteArray& value)
{
    return QByteArray("<label>") + caption + " <input type=\"" + type + "\" name=\"" + name + "\" value=\"" +
           esc(value) + "\"></label>";
}

QByteArray anchor(const QByteArray& href, const QByteArray& caption)
{
    return "<a href=\"" + esc(href) + "\">" + caption + "</a>";
}

} // namespace

QByteArray listPage(const database::Database& db, const banlists::Banlists& bans, const EntryFilter& filter,
                    const EntryPage& page, const QByteArray& nonce)
{
    QByteArray html = head("Screenshots", nonce);
    html += "<h1>Screenshots</h1>\n<form method=\"get\" action=\"/\">";
    html += textInput("guid", "GUID", "text", filter.guid) + textInput("name", "Player", "text", filter.name) +
            textInput("server", "Server", "text", filter.server) +
            textInput("from", "From", "date", QByteArray(filter.from).replace('.', '-')) +
            textInput("to", "To", "date", QByteArray(filter.to).replace('.', '-')) +
            checkbox("marked", "Marked", filter.marked) + checkbox("detected", "Auto-detected", filter.detected);
    html += "<button type=\"submit\">Show</button> " + anchor("/", "Clear") + "</form>\n";
    html += "<p id=\"total\">" + num(page.total) + " entries, page " + num(page.page) + " of " + num(page.pageCount) +
            "</p>\n";

    QByteArray nav = "<nav class=\"pages\">";
    if (page.page > 1)
        nav += anchor("/?" + filter.toQueryString(page.page - 1).toLatin1(), "Newer") + ' ';
    if (page.page < page.pageCount)
        nav += anchor("/?" + filter.toQueryString(page.page + 1).toLatin1(), "Older");
    nav += "</nav>\n";
    html += nav;

    html += "<table id=\"entries\"><tr><th>#</th><th>Picture</th><th>Time</th><th>Server</th><th>Player</th>"
            "<th>GUID</th><th>AutoDetected</th><th>AASA</th><th>ACI</th></tr>\n";
    for (const int n : page.entries) {
        const ScreenshotEntry& e = db.entry(n);
        const QByteArray entryLink = "/entry/" + num(n);
        html += QByteArray("<tr id=\"entry-") + num(n) + '"' + (e.Cheating ? " class=\"marked\"" : "") + "><td>" +
                anchor(entryLink, num(n)) + "</td><td><a href=\"" + entryLink +
                "\"><img class=\"thumb\" src=\"/picture/" + num(n) + "\" loading=\"lazy\" alt=\"entry " + num(n) +
                "\"></a></td><td>" + esc(e.ShotTime) + "</td><td>" + esc(e.ServerName) + "<br>" + esc(e.ServerAddress) +
                "</td><td>" + esc(e.PlayerName) + "</td><td class=\"mono\">" + esc(e.GUID) + "</td><td>" +
                esc(e.AutoDetected) + "</td>" + banCells(bans, e.GUID) + "</tr>\n";
    }
    html +=
        "</table>\n" + nav + "<script nonce=\"" + nonce + "\">" + MissingPictureScript + "</script>\n</body></html>\n";
    return html;
}

QByteArray entryPage(const database::Database& db, const EntryIndex& index, const banlists::Banlists& bans, int n,
                     const QByteArray& png, bool pngFound, int gamma, const QByteArray& nonce)
{
    const ScreenshotEntry& e = db.entry(n);
    QByteArray html = head("Entry " + num(n), nonce);

    // neighbours, and the nearest entries marked as cheating on either side
    int previousMarked = 0;
    int nextMarked = 0;
    for (int i = n - 1; i >= 1 && previousMarked == 0; --i)
        previousMarked = db.entry(i).Cheating ? i : 0;
    for (int i = n + 1; i <= db.EntryCount() && nextMarked == 0; ++i)
        nextMarked = db.entry(i).Cheating ? i : 0;
    QByteArray nav = "<nav>" + anchor("/", "All screenshots");
    const auto navLink = [&nav](int target, const char* caption) {
        nav += target > 0 ? anchor("/entry/" + num(target), caption) : QByteArray("<span>") + caption + "</span>";
        nav += ' ';
    };
    navLink(n > 1 ? n - 1 : 0, "Previous entry");
    navLink(n < db.EntryCount() ? n + 1 : 0, "Next entry");
    navLink(previousMarked, "Previous marked");
    navLink(nextMarked, "Next marked");
    nav += "</nav>\n";
    html += nav + "<h1>Entry " + num(n) + " of " + num(db.EntryCount()) + "</h1>\n";

    html += "<p><img id=\"picture\" src=\"/picture/" + num(n) + "\" alt=\"screenshot of entry " + num(n) + "\"></p>\n";
    html += "<p><label for=\"gamma\">Gamma (below 10 brightens, above 10 darkens)</label> <input type=\"range\" "
            "id=\"gamma\" min=\"" +
            num(MinGamma) + "\" max=\"" + num(MaxGamma) + "\" step=\"1\" value=\"" + num(gamma) +
            "\"> <output id=\"gamma-value\">" + num(gamma) + "</output></p>\n";

    html += "<table id=\"fields\">";
    const auto row = [&html](const char* name, const QByteArray& value) {
        html += QByteArray("<tr><th>") + name + "</th><td class=\"mono\">" + value + "</td></tr>";
    };
    row("ShotFile", esc(e.ShotFile));
    row("HeaderInfo", esc(e.HeaderInfo));
    row("ServerAddress", esc(e.ServerAddress));
    row("ServerName", esc(e.ServerName));
    row("GUID", esc(e.GUID));
    row("PlayerName", esc(e.PlayerName));
    row("ServerURL", esc(e.ServerURL));
    row("Cheating", e.Cheating ? "True" : "False");
    row("IndexText", esc(e.IndexText));
    row("AutoDetected", esc(e.AutoDetected));
    row("VaultName", esc(e.VaultName));
    row("ShotTime", esc(e.ShotTime));
    row("CaptureWidth", num(e.CaptureWidth));
    row("CaptureHeight", num(e.CaptureHeight));
    html += "</table>\n<h2>Ban status</h2><table id=\"bans\"><tr><th>AASA</th><th>ACI</th></tr><tr>" +
            banCells(bans, e.GUID) + "</tr></table>\n";

    html += "<h2>Picture file</h2><table id=\"hashes\">";
    if (pngFound) {
        row("SHA-256", QCryptographicHash::hash(png, QCryptographicHash::Sha256).toHex());
        row("MD5", QCryptographicHash::hash(png, QCryptographicHash::Md5).toHex());
        row("Bytes", num(png.size()));
    } else {
        row("File", "missing from the vault");
    }
    html += "</table>\n";

    // the player's other screenshots, and every name this GUID appeared under
    QList<int> same;
    QMap<QByteArray, int> names;
    for (const int i : index.sameGuid(e.GUID)) {
        ++names[db.entry(i).PlayerName];
        if (i != n)
            same << i;
    }
    html += "<h2>Other entries of this GUID</h2><p id=\"names\">Names used: ";
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        html += (it == names.cbegin() ? "" : ", ") + esc(it.key()) + " (" + num(it.value()) + ")";
    html += "</p>\n<ul id=\"same-guid\">";
    for (int k = 0; k < same.size() && k < MaxSameGuidListed; ++k) {
        const ScreenshotEntry& o = db.entry(same.at(k));
        html += "<li>" + anchor("/entry/" + num(same.at(k)), num(same.at(k))) + " " + esc(o.ShotTime) + " " +
                esc(o.PlayerName) + " on " + esc(o.ServerName) + (o.Cheating ? " (marked)" : "") + "</li>";
    }
    html += "</ul>\n";
    if (same.size() > MaxSameGuidListed) {
        EntryFilter byGuid;
        byGuid.guid = e.GUID;
        html += "<p>" + anchor("/?" + byGuid.toQueryString(1).toLatin1(), "All " + num(same.size() + 1) + " entries") +
                "</p>\n";
    }
    html += nav + "<script nonce=\"" + nonce + "\">" + GammaScript + "</script>\n</body></html>\n";
    return html;
}

QByteArray errorPage(int status, const QString& message)
{
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + num(status) +
           "</title></head><body><h1>" + num(status) + "</h1><p>" + message.toHtmlEscaped().toUtf8() +
           "</p><p><a href=\"/\">All screenshots</a></p></body></html>\n";
}

QJsonObject entryJson(const database::Database& db, int n)
{
    QJsonObject o = database::exportJsonObject(db.entry(n));
    o.insert(QStringLiteral("number"), n);
    return o;
}

} // namespace vh::gallery::GalleryPages
