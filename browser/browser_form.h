#pragma once
// The server browser's one window: the server list (file, in-memory copy in the memo, rows of
// the list view), the query of a row's server with its details and ping, "Refresh All", and
// the "Server Configuration" group.
#include <QList>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/core/string_array.h"
#include "platform/net/ftp_client.h"
#include "platform/net/icmp_echo.h"
#include "platform/net/udp_client.h"
#include "platform/ui/list_ordering.h"

class QTreeWidgetItem;

namespace kvtu {
class Registry;
}

namespace Ui {
class Tmain_form;
}

namespace kvtu::browser {

class Tmain_form : public QWidget {
    Q_OBJECT
  public:
    explicit Tmain_form(QWidget* parent = nullptr);
    ~Tmain_form() override;

    void FormCreate();
    // Saves the list; an error leaves the window open.
    void FormClose();
    // Key is the typed character; Enter (13) is consumed by setting it to 0.
    void server_ipportKeyPress(char& Key);
    void server_ipportChange();
    void server_ipportSelect();
    void Button1Click();
    void serverlistSelectItem(QTreeWidgetItem* Item, bool Selected);
    void serverlistMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void indy_pingReply(const net::EchoReply& AReplyStatus);
    void ftp_connectClick();
    void ftp_disconnectClick();
    void server_selectconfigClick();

    // The in-memory server list, the memo's text with "\n" between lines.
    std::string memo_text() const;
    TStringDynArray memo_lines() const;

    // The status query's client and the ping of the window, one each for the whole run.
    net::UdpClient udp_client;
    net::IcmpEcho indy_ping;
    // The FTP connection to the user's game server, open from "Connect" to "Disconnect".
    net::FtpClient ftp_con;
    const QList<QPixmap> customimagelist;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend std::optional<TStringDynArray> queryserverinfo(const std::string& host,
                                                          std::int32_t port);

    void bind_handlers();
    void set_memo_text(const std::string& text);
    void append_memo_line(const std::string& entry);
    // Rows with the captions, each placed where the sorted order puts it, after equal captions;
    // each row keeps its caption's bytes.
    void add_row(const std::string& caption);
    void add_rows(const TStringDynArray& captions);
    void set_row_image(QTreeWidgetItem& row, int index);
    // Icon by version and the five column texts of a summary.
    void show_summary(QTreeWidgetItem& row, const TStringDynArray& info);
    std::optional<TStringDynArray> query_entry(const std::string& entry);
    // Empties filelist and combo_configs, the names and the box's text.
    void empty_config_lists();
    // The four controls that work only while connected, in their designed order.
    void enable_config_controls(bool enabled);
    // Applies the stored FTP settings to ftp_con; the store's subkey is open.
    void apply_ftp_settings(Registry& ftp_settings);
    // Fills filelist and combo_configs from the listing of the server's current folder.
    void show_listing();

    std::unique_ptr<Ui::Tmain_form> ui_;
    // The orders of the rows (case counts) and of the two FTP lists (case ignored, as list boxes
    // and combo boxes sort).
    ui::SortedList row_order_{ui::LetterCase::counts};
    ui::SortedList file_order_{ui::LetterCase::ignored};
    ui::SortedList config_order_{ui::LetterCase::ignored};
    // The path of a list that was there at the start but could not be read. The memo does not
    // hold it, so the close must not write the memo over it.
    std::string unread_list_path_;
};

extern Tmain_form* main_form;

// The browser's status query of one server through main_form's components: the exchange, the
// summary of 8 slots, one echo, the details labels. No summary when the reply is refused.
std::optional<TStringDynArray> queryserverinfo(const std::string& host, std::int32_t port);

// The role under which a row keeps its image index.
inline constexpr int image_index_role = Qt::UserRole + 1;

}  // namespace kvtu::browser
