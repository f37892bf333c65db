#include "app/help_text.hpp"

namespace pelicard {

// The French manual, in ASCII with HTML character references so that it
// reads the same whatever the encoding the viewer assumes.
const std::string& HelpHtml() {
    static const std::string html = R"HTML(<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="us-ascii">
<title>Aide de Pelicard</title>
</head>
<body>
<h1>Pelicard</h1>
<p>Pelicard extrait, affiche, modifie, enregistre et imprime les messages des deux
gestionnaires de messagerie de Windows&nbsp;: Outlook Express 5 et 6 (fichiers
<b>.dbx</b>) et Windows Mail (dossiers de fichiers <b>.eml</b> et <b>.nws</b>).
Il lit ces fichiers sans jamais les modifier.</p>

<h2 id="sommaire">Sommaire</h2>
<ul>
<li><a href="#ouvrir">Ouvrir un fichier dbx ou un dossier Windows Mail</a></li>
<li><a href="#magasin">Un magasin complet</a></li>
<li><a href="#liste">La liste des messages</a></li>
<li><a href="#afficher">Afficher et modifier un message</a></li>
<li><a href="#enregistrer">Enregistrer les messages</a></li>
<li><a href="#imprimer">Imprimer</a></li>
<li><a href="#discussion">Grouper une discussion</a></li>
<li><a href="#options">Les options</a></li>
<li><a href="#fichiers">O&ugrave; vont les fichiers</a></li>
<li><a href="#refus">Quand Pelicard refuse de lire</a></li>
</ul>

<h2 id="ouvrir">Ouvrir un fichier dbx ou un dossier Windows Mail</h2>
<p><b>Fichiers &gt; Fichier dbx &agrave; traiter</b>, ou le bouton <b>Fichier dbx</b>&nbsp;:
choisissez un fichier <b>.dbx</b> d'Outlook Express (un fichier par dossier de
messagerie, par exemple &laquo;&nbsp;Bo&icirc;te de r&eacute;ception.dbx&nbsp;&raquo;). Pelicard v&eacute;rifie le
fichier, lit son index et liste les messages dont le texte est pr&eacute;sent. La ligne
au-dessus de la liste indique combien de messages sont complets sur le nombre
contenu dans le fichier.</p>
<p><b>Fichiers &gt; Dossier de Windows Mail &agrave; traiter</b>, ou le bouton
<b>Dossier WM</b>&nbsp;: choisissez n'importe quel fichier <b>.eml</b> ou
<b>.nws</b>&nbsp;; tous les messages du dossier qui le contient sont lus (sans les
sous-dossiers).</p>
<p>Les bo&icirc;tes de dialogue s'ouvrent dans le dernier dossier o&ugrave; un fichier dbx a &eacute;t&eacute;
choisi, ou dans le dossier des messages d'Outlook Express quand il est connu.</p>

<h2 id="magasin">Un magasin complet</h2>
<p><b>Fichiers &gt; Magasin complet&hellip;</b>&nbsp;: choisissez le dossier d'une sauvegarde
enti&egrave;re&nbsp;: le dossier de stockage d'Outlook Express (le fichier <b>Folders.dbx</b> et un
fichier <b>.dbx</b> par dossier) ou l'arborescence de Windows Mail ou de Windows Live Mail
(un dossier par dossier de messagerie). L'arbre des dossiers s'affiche &agrave; gauche de la
liste, avec les noms que vous leur avez donn&eacute;s et le nombre de messages de chacun&nbsp;;
les dossiers vides sont gris&eacute;s, et un dossier qui ne peut pas &ecirc;tre lu (fichier absent,
endommag&eacute; ou refus&eacute;, dossier illisible, boucle de liens) est marqu&eacute; indisponible, la raison
s'affichant sous le pointeur. Sans fichier Folders.dbx utilisable, chaque fichier .dbx du
dossier devient un dossier du premier niveau, au nom de son fichier.</p>
<p>Un clic sur un dossier l'ouvre comme <b>Fichier dbx</b> ou <b>Dossier WM</b> l'ouvriraient.
Ses messages s'enregistrent alors dans le sous-dossier du dossier de stockage qui porte son
chemin dans l'arbre (par exemple <i>Dossiers locaux/Clients/Martin</i>).</p>
<p><b>Fichiers &gt; Enregistrer tout le magasin&hellip;</b> enregistre tous les messages de tous les
dossiers, en fichiers texte ou sous leur forme originale, dans des sous-dossiers qui
reproduisent l'arbre. La barre de progression suit l'ensemble du magasin&nbsp;; un dossier
illisible est signal&eacute; et saut&eacute;, et un bilan final indique les dossiers, les messages
enregistr&eacute;s et ceux qui ne l'ont pas &eacute;t&eacute;, avec la raison. Pelicard n'&eacute;crit jamais dans le
magasin lu.</p>
<p>Ouvrir ensuite un fichier ou un dossier par les commandes habituelles ferme le magasin.</p>

<h2 id="liste">La liste des messages</h2>
<p>La liste pr&eacute;sente l'objet, l'&eacute;metteur et la date de chaque message, dans un ordre
qui r&eacute;unit les messages d'une m&ecirc;me discussion. Un clic sur un en-t&ecirc;te de colonne
trie la liste selon cette colonne (la colonne Date dans l'ordre chronologique)&nbsp;;
chaque clic inverse le sens du tri, le premier triant en ordre d&eacute;croissant, et
annule la s&eacute;lection.</p>
<p>Cliquez sur un message pour l'afficher. Les touches Maj et Ctrl permettent d'en
s&eacute;lectionner plusieurs&nbsp;; <b>&Eacute;ditions &gt; S&eacute;lection de tous les messages</b>
(Ctrl+A) les s&eacute;lectionne tous. Le nombre de messages s&eacute;lectionn&eacute;s s'affiche dans la
barre d'&eacute;tat.</p>

<h2 id="afficher">Afficher et modifier un message</h2>
<p>L'objet et le texte du premier message s&eacute;lectionn&eacute; s'affichent sous la liste, en
texte brut&nbsp;: le codage MIME, le quoted-printable, le base64 et le HTML sont
d&eacute;faits, et les pi&egrave;ces jointes sont coup&eacute;es (elles ne sont jamais lues). Quand
plusieurs messages sont s&eacute;lectionn&eacute;s, les fl&egrave;ches passent de l'un &agrave; l'autre.</p>
<p>Vous pouvez corriger l'objet et le texte du message affich&eacute; (un seul message
s&eacute;lectionn&eacute;). Les boutons du cadre <b>Enregistrer les modifications</b> enregistrent
alors le message modifi&eacute;&nbsp;:</p>
<ul>
<li><b>Txt</b>&nbsp;: en fichier texte, avec l'objet et le texte modifi&eacute;s&nbsp;;</li>
<li><b>Nws et Eml</b>&nbsp;: sous sa forme d'origine, avec l'objet modifi&eacute; (les
modifications du texte n'y sont pas reprises).</li>
</ul>
<p>Le nom de ces fichiers se termine par &laquo;&nbsp;_m&nbsp;&raquo;.</p>

<h2 id="enregistrer">Enregistrer les messages</h2>
<p>Le cadre <b>Enregistrer</b> agit sur tous les messages s&eacute;lectionn&eacute;s&nbsp;:</p>
<ul>
<li><b>Txt</b>&nbsp;: chaque message devient un fichier texte qui commence par les
lignes &laquo;&nbsp;Objet&nbsp;:&nbsp;&raquo;, &laquo;&nbsp;Date&nbsp;:&nbsp;&raquo; et
&laquo;&nbsp;Exp&eacute;diteur&nbsp;:&nbsp;&raquo;, suivies du texte du message. Avec l'une des options de
groupement, plusieurs messages sont r&eacute;unis dans un m&ecirc;me fichier.</li>
<li><b>Nws et Eml</b>&nbsp;: chaque message est recopi&eacute; tel qu'il est stock&eacute;, dans un
fichier <b>.eml</b> (courrier) ou <b>.nws</b> (forum de discussion).</li>
</ul>
<p>&Agrave; la fin, un signal sonore retentit et &laquo;&nbsp;Op&eacute;ration termin&eacute;e&nbsp;&raquo; s'affiche.</p>

<h2 id="imprimer">Imprimer</h2>
<p>Le bouton <b>Format texte</b> imprime les messages s&eacute;lectionn&eacute;s en texte brut,
avec un en-t&ecirc;te de page, en Arial 10 points. Les options de groupement s'appliquent
comme pour l'enregistrement en texte. <b>Fichiers &gt; Imprimante</b> permet de
choisir l'imprimante (ou l'impression dans un fichier PDF).</p>

<h2 id="discussion">Grouper une discussion</h2>
<p>S&eacute;lectionnez un message puis cliquez sur <b>&agrave; la discussion</b>&nbsp;: tous les
messages de la m&ecirc;me discussion (m&ecirc;me sujet d'origine) sont s&eacute;lectionn&eacute;s, pr&ecirc;ts &agrave;
&ecirc;tre enregistr&eacute;s ou imprim&eacute;s ensemble.</p>

<h2 id="options">Les options</h2>
<ul>
<li><b>Options &gt; Messages group&eacute;s par conversation</b>&nbsp;: l'enregistrement en
texte et l'impression produisent un fichier (ou une impression) par discussion, les
messages de chacune &eacute;tant rang&eacute;s par date.</li>
<li><b>Options &gt; Messages group&eacute;s par s&eacute;lection</b>&nbsp;: tous les messages
s&eacute;lectionn&eacute;s vont dans un seul fichier (ou une seule impression), rang&eacute;s par date.
Le fichier porte alors le nom du fichier ou du dossier lu.</li>
<li>Les deux options ne sont jamais actives ensemble&nbsp;; une &eacute;tiquette dans la
fen&ecirc;tre rappelle celle qui est active.</li>
<li><b>Options &gt; Dossier de stockage</b>&nbsp;: choisissez le dossier dans lequel
sera cr&eacute;&eacute; le dossier &laquo;&nbsp;Documents Pelicard&nbsp;&raquo; qui re&ccedil;oit tous les
enregistrements. Ce choix est enregistr&eacute; aussit&ocirc;t.</li>
<li><b>Affichage &gt; Demander confirmation de l'enregistrement des options</b>&nbsp;:
&agrave; la sortie, Pelicard demande &laquo;&nbsp;Voulez-vous enregistrer le choix des
options&nbsp;?&nbsp;&raquo; avant d'enregistrer les options. <b>Ne pas demander
confirmation de l'enregistrement des options</b>&nbsp;: elles sont enregistr&eacute;es sans
question.</li>
</ul>

<h2 id="fichiers">O&ugrave; vont les fichiers</h2>
<ul>
<li>Tout ce que Pelicard enregistre va dans le dossier de stockage, par d&eacute;faut
&laquo;&nbsp;Documents Pelicard&nbsp;&raquo; dans votre dossier de documents, puis dans un
sous-dossier qui porte le nom du fichier dbx (sans &laquo;&nbsp;.dbx&nbsp;&raquo;) ou du dossier
Windows Mail lu.</li>
<li>Un message enregistr&eacute; seul porte le nom de son objet (nettoy&eacute; des caract&egrave;res
interdits), suivi de &laquo;&nbsp;_&nbsp;&raquo; et de sa date sous la forme
&laquo;&nbsp;aaaammjj hhmmss&nbsp;&raquo;. Si ce nom est d&eacute;j&agrave; pris, &laquo;&nbsp;-1&nbsp;&raquo;,
&laquo;&nbsp;-2&nbsp;&raquo;&hellip; est ajout&eacute; &agrave; l'objet&nbsp;: aucun fichier existant n'est
remplac&eacute;.</li>
<li>Les options sont gard&eacute;es dans le fichier &laquo;&nbsp;Pelicard.ini&nbsp;&raquo; du dossier
de Pelicard&nbsp;: <code>$PELICARD_HOME</code> s'il est d&eacute;fini, sinon
<code>~/.config/pelicard</code> (ou <code>$XDG_CONFIG_HOME/pelicard</code>). Si ce
fichier est ab&icirc;m&eacute;, Pelicard le r&eacute;pare au d&eacute;marrage.</li>
<li>Le dossier des messages d'Outlook Express est lu dans le registre du pr&eacute;fixe Wine
(<code>$WINEPREFIX</code>, sinon <code>~/.wine</code>) quand il existe.</li>
</ul>

<h2 id="refus">Quand Pelicard refuse de lire</h2>
<ul>
<li>Un fichier dbx du dossier d'Outlook Express n'est pas lu tant qu'Outlook Express
(msimn.exe) fonctionne, ni un dossier Windows Mail tant que Windows Mail
(winmail.exe) fonctionne&nbsp;: fermez d'abord le gestionnaire de messagerie.</li>
<li>Les fichiers &laquo;&nbsp;pop3uidl.dbx&nbsp;&raquo;, &laquo;&nbsp;offline.dbx&nbsp;&raquo; et
&laquo;&nbsp;folders.dbx&nbsp;&raquo; ne contiennent pas de messages et ne sont jamais lus.</li>
<li>Un fichier vide ou qui n'est pas un fichier dbx valide est signal&eacute;, sans autre
cons&eacute;quence.</li>
</ul>

<h2>Touches</h2>
<ul>
<li><b>F1</b>&nbsp;: cette aide (aussi <b>? &gt; Aide</b>).</li>
<li><b>Ctrl+A</b>&nbsp;: s&eacute;lectionner tous les messages.</li>
<li><b>Fl&egrave;ches haut et bas</b>&nbsp;: passer d'un message &agrave; l'autre dans la liste.</li>
</ul>
</body>
</html>
)HTML";
    return html;
}

}  // namespace pelicard
