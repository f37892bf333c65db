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
<li><a href="#liste">La liste des messages</a></li>
<li><a href="#afficher">Afficher et modifier un message</a></li>
<li><a href="#enregistrer">Enregistrer les messages</a></li>
<li><a href="#imprimer">Imprimer</a></li>
<li><a href="#discussion">Grouper une discussion</a></li>
<li><a href="#options">Les options</a></li>
<li><a href="#fichiers">O&#249; vont les fichiers</a></li>
<li><a href="#refus">Quand Pelicard refuse de lire</a></li>
</ul>

<h2 id="ouvrir">Ouvrir un fichier dbx ou un dossier Windows Mail</h2>
<p><b>Fichiers &gt; Fichier dbx &#224; traiter</b>, ou le bouton <b>Fichier dbx</b>&nbsp;:
choisissez un fichier <b>.dbx</b> d'Outlook Express (un fichier par dossier de
messagerie, par exemple &#171;&nbsp;Bo&#238;te de r&#233;ception.dbx&nbsp;&#187;). Pelicard v&#233;rifie le
fichier, lit son index et liste les messages dont le texte est pr&#233;sent. La ligne
au-dessus de la liste indique combien de messages sont complets sur le nombre
contenu dans le fichier.</p>
<p><b>Fichiers &gt; Dossier de Windows Mail &#224; traiter</b>, ou le bouton
<b>Dossier WM</b>&nbsp;: choisissez n'importe quel fichier <b>.eml</b> ou
<b>.nws</b>&nbsp;; tous les messages du dossier qui le contient sont lus (sans les
sous-dossiers).</p>
<p>Les bo&#238;tes de dialogue s'ouvrent dans le dernier dossier o&#249; un fichier dbx a &#233;t&#233;
choisi, ou dans le dossier des messages d'Outlook Express quand il est connu.</p>

<h2 id="liste">La liste des messages</h2>
<p>La liste pr&#233;sente l'objet, l'&#233;metteur et la date de chaque message, dans un ordre
qui r&#233;unit les messages d'une m&#234;me discussion. Un clic sur un en-t&#234;te de colonne
trie la liste selon cette colonne&nbsp;; un nouveau clic inverse l'ordre.</p>
<p>Cliquez sur un message pour l'afficher. Les touches Maj et Ctrl permettent d'en
s&#233;lectionner plusieurs&nbsp;; <b>&#201;ditions &gt; S&#233;lection de tous les messages</b>
(Ctrl+A) les s&#233;lectionne tous. Le nombre de messages s&#233;lectionn&#233;s s'affiche dans la
barre d'&#233;tat.</p>

<h2 id="afficher">Afficher et modifier un message</h2>
<p>L'objet et le texte du premier message s&#233;lectionn&#233; s'affichent sous la liste, en
texte brut&nbsp;: le codage MIME, le quoted-printable, le base64 et le HTML sont
d&#233;faits, et les pi&#232;ces jointes sont coup&#233;es (elles ne sont jamais lues). Quand
plusieurs messages sont s&#233;lectionn&#233;s, les fl&#232;ches passent de l'un &#224; l'autre.</p>
<p>Vous pouvez corriger l'objet et le texte du message affich&#233; (un seul message
s&#233;lectionn&#233;). Les boutons du cadre <b>Enregistrer les modifications</b> enregistrent
alors le message modifi&#233;&nbsp;:</p>
<ul>
<li><b>Txt</b>&nbsp;: en fichier texte, avec l'objet et le texte modifi&#233;s&nbsp;;</li>
<li><b>Nws et Eml</b>&nbsp;: sous sa forme d'origine, avec l'objet modifi&#233; (les
modifications du texte n'y sont pas reprises).</li>
</ul>
<p>Le nom de ces fichiers se termine par &#171;&nbsp;_m&nbsp;&#187;.</p>

<h2 id="enregistrer">Enregistrer les messages</h2>
<p>Le cadre <b>Enregistrer</b> agit sur tous les messages s&#233;lectionn&#233;s&nbsp;:</p>
<ul>
<li><b>Txt</b>&nbsp;: chaque message devient un fichier texte qui commence par les
lignes &#171;&nbsp;Objet&nbsp;:&nbsp;&#187;, &#171;&nbsp;Date&nbsp;:&nbsp;&#187; et
&#171;&nbsp;Exp&#233;diteur&nbsp;:&nbsp;&#187;, suivies du texte du message. Avec l'une des options de
groupement, plusieurs messages sont r&#233;unis dans un m&#234;me fichier.</li>
<li><b>Nws et Eml</b>&nbsp;: chaque message est recopi&#233; tel qu'il est stock&#233;, dans un
fichier <b>.eml</b> (courrier) ou <b>.nws</b> (forum de discussion).</li>
</ul>
<p>&#192; la fin, un signal sonore retentit et &#171;&nbsp;Op&#233;ration termin&#233;e&nbsp;&#187; s'affiche.</p>

<h2 id="imprimer">Imprimer</h2>
<p>Le bouton <b>Format texte</b> imprime les messages s&#233;lectionn&#233;s en texte brut,
avec un en-t&#234;te de page, en Arial 10 points. Les options de groupement s'appliquent
comme pour l'enregistrement en texte. <b>Fichiers &gt; Imprimante</b> permet de
choisir l'imprimante (ou l'impression dans un fichier PDF).</p>

<h2 id="discussion">Grouper une discussion</h2>
<p>S&#233;lectionnez un message puis cliquez sur <b>&#224; la discussion</b>&nbsp;: tous les
messages de la m&#234;me discussion (m&#234;me sujet d'origine) sont s&#233;lectionn&#233;s, pr&#234;ts &#224;
&#234;tre enregistr&#233;s ou imprim&#233;s ensemble.</p>

<h2 id="options">Les options</h2>
<ul>
<li><b>Options &gt; Messages group&#233;s par conversation</b>&nbsp;: l'enregistrement en
texte et l'impression produisent un fichier (ou une impression) par discussion, les
messages de chacune &#233;tant rang&#233;s par date.</li>
<li><b>Options &gt; Messages group&#233;s par s&#233;lection</b>&nbsp;: tous les messages
s&#233;lectionn&#233;s vont dans un seul fichier (ou une seule impression), rang&#233;s par date.
Le fichier porte alors le nom du fichier ou du dossier lu.</li>
<li>Les deux options ne sont jamais actives ensemble&nbsp;; une &#233;tiquette dans la
fen&#234;tre rappelle celle qui est active.</li>
<li><b>Options &gt; Dossier de stockage</b>&nbsp;: choisissez le dossier dans lequel
sera cr&#233;&#233; le dossier &#171;&nbsp;Documents Pelicard&nbsp;&#187; qui re&#231;oit tous les
enregistrements. Ce choix est enregistr&#233; aussit&#244;t.</li>
<li><b>Affichage &gt; Demander confirmation de l'enregistrement des options</b>&nbsp;:
&#224; la sortie, Pelicard demande &#171;&nbsp;Voulez-vous enregistrer le choix des
options&nbsp;?&nbsp;&#187; avant d'enregistrer les options. <b>Ne pas demander
confirmation de l'enregistrement des options</b>&nbsp;: elles sont enregistr&#233;es sans
question.</li>
</ul>

<h2 id="fichiers">O&#249; vont les fichiers</h2>
<ul>
<li>Tout ce que Pelicard enregistre va dans le dossier de stockage, par d&#233;faut
&#171;&nbsp;Documents Pelicard&nbsp;&#187; dans votre dossier de documents, puis dans un
sous-dossier qui porte le nom du fichier dbx (sans &#171;&nbsp;.dbx&nbsp;&#187;) ou du dossier
Windows Mail lu.</li>
<li>Un message enregistr&#233; seul porte le nom de son objet (nettoy&#233; des caract&#232;res
interdits), suivi de &#171;&nbsp;_&nbsp;&#187; et de sa date sous la forme
&#171;&nbsp;aaaammjj hhmmss&nbsp;&#187;. Si ce nom est d&#233;j&#224; pris, &#171;&nbsp;-1&nbsp;&#187;,
&#171;&nbsp;-2&nbsp;&#187;&#8230; est ajout&#233; &#224; l'objet&nbsp;: aucun fichier existant n'est
remplac&#233;.</li>
<li>Les options sont gard&#233;es dans le fichier &#171;&nbsp;Pelicard.ini&nbsp;&#187; du dossier
de Pelicard&nbsp;: <code>$PELICARD_HOME</code> s'il est d&#233;fini, sinon
<code>~/.config/pelicard</code> (ou <code>$XDG_CONFIG_HOME/pelicard</code>). Si ce
fichier est ab&#238;m&#233;, Pelicard le r&#233;pare au d&#233;marrage.</li>
<li>Le dossier des messages d'Outlook Express est lu dans le registre du pr&#233;fixe Wine
(<code>$WINEPREFIX</code>, sinon <code>~/.wine</code>) quand il existe.</li>
</ul>

<h2 id="refus">Quand Pelicard refuse de lire</h2>
<ul>
<li>Un fichier dbx du dossier d'Outlook Express n'est pas lu tant qu'Outlook Express
(msimn.exe) fonctionne, ni un dossier Windows Mail tant que Windows Mail
(winmail.exe) fonctionne&nbsp;: fermez d'abord le gestionnaire de messagerie.</li>
<li>Les fichiers &#171;&nbsp;pop3uidl.dbx&nbsp;&#187;, &#171;&nbsp;offline.dbx&nbsp;&#187; et
&#171;&nbsp;folders.dbx&nbsp;&#187; ne contiennent pas de messages et ne sont jamais lus.</li>
<li>Un fichier vide ou qui n'est pas un fichier dbx valide est signal&#233;, sans autre
cons&#233;quence.</li>
</ul>

<h2>Touches</h2>
<ul>
<li><b>F1</b>&nbsp;: cette aide (aussi <b>? &gt; Aide</b>).</li>
<li><b>Ctrl+A</b>&nbsp;: s&#233;lectionner tous les messages.</li>
<li><b>Fl&#232;ches haut et bas</b>&nbsp;: passer d'un message &#224; l'autre dans la liste.</li>
</ul>
</body>
</html>
)HTML";
    return html;
}

}  // namespace pelicard
