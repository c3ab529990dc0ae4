// The attachment cipher as the store applies it to files and stored values: Rijndael with a
// 24-byte key and block, keyed by the pass key's bytes followed by zeros, zero padding kept.
#include "Model/Ciphers/CAESEncrypter.h"
#include "Model/Database_Engine/OTVDataBase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

// What the cipher itself gives for `plain` under a 24-byte key.
QByteArray reference(const QByteArray& plain, const QByteArray& key24)
{
    int length = int(plain.size());
    char* cipher = CAESEncrypter().Encrypt(reinterpret_cast<const unsigned char*>(key24.constData()),
                                           plain.constData(), &length);
    QByteArray result(cipher, length);
    std::free(cipher);
    return result;
}

} // namespace

TEST(AttachmentCipher, FilesAreEncipheredUnderThePassKeyFollowedByZeros)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("file");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray plain("thirty bytes of attachment....");
    file.write(plain);
    file.close();

    const QString passKey = QStringLiteral("aB3$eF6&hI9)kL2+");
    const std::optional<QByteArray> stored = OTVDataBase::encryptFile(path, passKey);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, reference(plain, passKey.toLatin1() + QByteArray(8, '\0')));
    EXPECT_EQ(OTVDataBase::decrypt(*stored, passKey), plain + QByteArray(18, '\0'));
    // Only the first 16 bytes of a longer key count.
    EXPECT_EQ(OTVDataBase::encryptFile(path, passKey + "extra"), stored);

    EXPECT_FALSE(OTVDataBase::encryptFile(path, QString()).has_value());
    EXPECT_FALSE(OTVDataBase::encryptFile(folder.filePath("missing"), passKey).has_value());
    EXPECT_FALSE(OTVDataBase::encryptFile(folder.path(), passKey).has_value());
    EXPECT_FALSE(OTVDataBase::decrypt(QByteArray(), passKey).has_value());
    EXPECT_THROW(OTVDataBase::decrypt(QByteArray(20, 'x'), passKey), std::exception);
}
