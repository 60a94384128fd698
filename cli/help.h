// The texts that velkxml --help and each command's --help print.
#pragma once

namespace velkxml {

// The tool's help around its list of commands.
inline constexpr char kToolHelpHead[] = "usage: velkxml COMMAND [ARGS]\n"
                                        "\n"
                                        "Commands:\n";
inline constexpr char kToolHelpTail[] =
    "\n"
    "A FILE given as '-' is standard input. '--version' prints the version, also\n"
    "after a command. 'velkxml COMMAND --help' tells more. Exit status: 0 done,\n"
    "1 failed (or nothing found), 2 usage error, 3 not read as written (check,\n"
    "edit) or shown as text that is not well-formed XML (format).\n";

inline constexpr char kCheckHelp[] =
    "usage: velkxml check [--strict] [-q] FILE...\n"
    "       velkxml check --lenient [-q] FILE...\n"
    "\n"
    "Checks that each file (or standard input, '-') is well-formed XML, as XML 1.0\n"
    "has it for a document without a document type declaration, and that the\n"
    "library reads it as XML means it; then parses it with the library, and prints\n"
    "'FILE: ok'. Each finding goes to standard error as 'FILE:LINE:COL: text'\n"
    "('FILE: text' for one about the whole file), where LINE counts LF, CR LF and a\n"
    "lone CR each as one line end and COL is the byte column from 1. Ten findings of\n"
    "a kind are shown, then their count; a finding after which the rest cannot be\n"
    "read is the last. The rules of namespaces in XML are checked too.\n"
    "\n"
    "What XML allows and the library does not read as XML means it is refused with\n"
    "the reason: the declarations of a document type declaration (which is set aside\n"
    "and the rest checked without it), CDATA sections, character references\n"
    "('&#169;'), processing instructions whose data is not name=\"value\" pairs,\n"
    "encodings other than UTF-8 (but US-ASCII, ISO-8859-* and windows-125* in a\n"
    "document of ASCII bytes alone, which read the same), and UTF-16.\n"
    "\n"
    "Exit status: 0 when every file is well-formed and read as it stands; 1 when one\n"
    "is not well-formed (or cannot be read or parsed); else 3 when one holds only\n"
    "what the library does not read (in UTF-16, where the check stops, the rest is\n"
    "not checked).\n"
    "\n"
    "--strict     the same check (the default; kept for scripts that ask for it)\n"
    "--lenient    only parse each file with the library, as the other commands do,\n"
    "             and report the parser's message when it fails; 'ok' then says\n"
    "             that well-formedness was not checked\n"
    "-q, --quiet  print failures only, no 'ok' lines\n"
    "\n"
    "Exit status 1 when any file failed.\n";

// The end of the help of format, find, get and list: the warning they give
// for a document that is not well-formed XML or beyond the library's limits.
inline constexpr char kWarningHelp[] =
    "\n"
    "A document that is not well-formed XML, or beyond the library's limits, is\n"
    "shown as the library reads it after one warning on standard error, which\n"
    "names the first fault that 'velkxml check' finds, or else its first limit.\n"
    "The warning leaves the exit status as it is.\n";

inline constexpr char kFormatHelp[] =
    "usage: velkxml format [--indent N | --indent-tab] [--output FILE] FILE\n"
    "       velkxml format --compact | --library-indent [--output FILE] FILE\n"
    "\n"
    "Prints the document (or standard input, '-') indented, keeping its data: an\n"
    "element that holds only text stays on one line, its text as it is; one with\n"
    "text beside other nodes is printed on one line as it stands; elsewhere the\n"
    "white space between nodes is left out and each node goes on a line of its own,\n"
    "indented by depth (LF line ends).\n"
    "\n"
    "--indent N        N blanks a level (2 when not given, 0 to 99)\n"
    "--indent-tab      a tab a level\n"
    "--compact         the document as the library writes it to files, with nothing\n"
    "                  added around its text, and a line end after it\n"
    "--library-indent  the library's own indented text, one node a line, without the\n"
    "                  lines that hold only white space; it adds line breaks and\n"
    "                  indentation around text, so text read back from it has changed\n"
    "--output FILE     write FILE (whole, under a private name first, then renamed)\n"
    "                  instead of standard output\n"
    "\n"
    "The library's CR LF line ends are printed as LF on Linux. A document type\n"
    "declaration is set aside while the library reads the rest, and printed back as\n"
    "it stands.\n"
    "\n"
    "When the text printed is not well-formed XML (the library writes '<!DOCTYPE\n"
    "html>' as '<!DOCTYPE>...</!DOCTYPE>'), the exit status is 3, after a warning.\n";

inline constexpr char kSelectHelp[] =
    "usage: velkxml select [-N PREFIX=URI]... [--xml] PATH FILE...\n"
    "\n"
    "Prints the string value of each node that PATH selects in each document (or\n"
    "standard input, '-'), one a line, in document order: the text of an element\n"
    "(all the text inside it), the value of an attribute, a text node's text. With\n"
    "--xml, each node as XML: an element with all it holds, an attribute as\n"
    "name=\"value\". count(PATH) prints the number of nodes. Exit status 1 when\n"
    "nothing is selected.\n"
    "\n"
    "PATH is a part of XPath 1.0: absolute (/a/b) and relative (a/b) paths, '//',\n"
    "'.', '..', names, '*', '@name', '@*', 'text()', and predicates: [2], [last()],\n"
    "[@id], [@id='b2'], [@id!='b2'], [title='Stone'], [.='x'], [text()='x'], joined\n"
    "with 'and' and 'or'. A PATH outside it is refused with the position of the\n"
    "first part not read. Elements in a namespace are selected by a prefix bound\n"
    "with -N (as XPath has it, a name without a prefix selects elements in no\n"
    "namespace).\n";

inline constexpr char kPathsHelp[] =
    "usage: velkxml paths FILE\n"
    "\n"
    "Prints each element path of the document (or standard input, '-'), such as\n"
    "/catalog/book/title, with the number of elements on it after a tab, in the\n"
    "order each path first occurs.\n";

inline constexpr char kEditHelp[] =
    "usage: velkxml edit [--in-place] [-N PREFIX=URI]... FILE CHANGE...\n"
    "\n"
    "Makes the changes, in the order given, each to every node its PATH selects\n"
    "(PATH as for select), and prints the document, or with --in-place writes it\n"
    "back to FILE (whole, under a private name first, then renamed). A CHANGE is:\n"
    "\n"
    "  --update PATH --value TEXT           the text of each element (in place of\n"
    "                                       all it held), or each attribute's value\n"
    "  --insert PATH --element NAME [--value TEXT]\n"
    "                                       a new last child of each element\n"
    "  --insert-before PATH --element NAME [--value TEXT]\n"
    "  --insert-after PATH --element NAME [--value TEXT]\n"
    "                                       a new element before or after each node\n"
    "  --insert PATH --attr NAME --value TEXT\n"
    "                                       an attribute of each element (set when\n"
    "                                       it is there)\n"
    "  --delete PATH                        each node or attribute\n"
    "\n"
    "Only a document that 'velkxml check' passes is edited (a document type\n"
    "declaration is set aside and written back as it stands): the library would\n"
    "write any other otherwise than it stands. Its findings are printed, and the exit\n"
    "status is that of check. The document is written as the library writes it,\n"
    "with CR LF line ends when the file has them, else the platform's. Nothing is\n"
    "written when a PATH selects nothing, a name is not an XML name, or the result\n"
    "would not be well-formed XML (exit status 1). A symbolic link FILE is replaced\n"
    "by the new file, not followed.\n";

inline constexpr char kListHelp[] =
    "usage: velkxml list show [--name NAME] FILE.lst\n"
    "       velkxml list pack FILE.xml OUT.lst\n"
    "\n"
    "show  prints the entries of a list file (from standard input for '-') as the\n"
    "      XML list form; the list is named NAME, or after the file when --name is\n"
    "      not given ('list' for standard input).\n"
    "pack  reads the XML list form (from standard input for '-') and saves its\n"
    "      entries as the list file OUT.lst, which must not exist yet: nothing is\n"
    "      ever overwritten.\n";

inline constexpr char kSplitHelp[] =
    "usage: velkxml split DELIM [TEXT]\n"
    "\n"
    "Splits TEXT (or standard input) at the first byte of DELIM and prints the\n"
    "non-empty pieces numbered from 1, one 'N<TAB>piece' a line. Standard input is\n"
    "split as it is read: its final line end stays in the last piece.\n";

inline constexpr char kFindHelp[] =
    "usage: velkxml find [--attr NAME[=VALUE]] [--depth N] [--xml] FILE TAG\n"
    "\n"
    "Prints each element named TAG in the document (or standard input, '-'), in\n"
    "document order, one a line: its path from the top, such as\n"
    "/catalog/book[2]/title (a position where siblings share the tag), a tab, and\n"
    "its text, the blanks at its ends left out and its line ends shown as blanks.\n"
    "\n"
    "--attr NAME          only elements with that attribute, and its value printed\n"
    "                     in place of the text (its line ends shown as blanks)\n"
    "--attr NAME=VALUE    only elements whose attribute NAME has that value\n"
    "--depth N            only elements N levels below the top (the top-level\n"
    "                     element is at depth 0)\n"
    "--xml                print each element with its contents in the compact form\n"
    "                     instead\n"
    "\n"
    "Exit status 1 when no element matched.\n";

inline constexpr char kGetHelp[] =
    "usage: velkxml get [--attr NAME] FILE TAG\n"
    "\n"
    "Prints the text of the first child element named TAG of the top-level element\n"
    "of the document (or standard input, '-'), as it is stored: entities undone,\n"
    "nothing trimmed. With --attr, prints the value of that element's attribute\n"
    "NAME instead. Exit status 1 when there is no such element or attribute.\n";

} // namespace velkxml
